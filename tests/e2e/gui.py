"""What a person does with the program's windows and what the screen shows in return: the layout
files that place the regions of its pictures, the program's windows as e2e_control lists them,
and `Gui`: clicks, questions, lists, and pictures expected on screen."""

import os
import re

import profile_ini
import window_face
from pictures import Difference, Selection, load_bmp
from report import Failure
from session import MAIN_TITLE
from waiting import poll_until
from x11 import screenshot


class ButtonInfo:
    """Section [BUTTONINFO] of "Main.ini" or "Composite.ini": entry -> Entry with the rectangle in
    window coordinates, the key code (key slots of Main.ini only) and the name."""

    class Entry:
        __slots__ = ("number", "x", "y", "width", "height", "code", "name")

        def __init__(self, number, fields):
            self.number = number
            self.x, self.y, self.width, self.height = (int(f) for f in fields[:4])
            has_code = len(fields) >= 6 and fields[4].strip().lstrip("-").isdigit()
            self.code = int(fields[4]) if has_code else None
            self.name = ",".join(fields[5:] if has_code else fields[4:])

        def centre(self):
            return self.x + self.width // 2, self.y + self.height // 2

        def contains(self, x, y):
            return self.x <= x < self.x + self.width and self.y <= y < self.y + self.height

    def __init__(self, path):
        self.path = path
        self.entries = {}
        for key, value in profile_ini.parse_ini(profile_ini.read_ini_text(path)).get("BUTTONINFO", []):
            if key.isdigit():
                self.entries[int(key)] = ButtonInfo.Entry(int(key), value.split(","))

    def __getitem__(self, number):
        if number not in self.entries:
            raise Failure(f"{os.path.basename(self.path)} has no entry {number}")
        return self.entries[number]

    def named(self, name):
        for entry in self.entries.values():
            if entry.name == name:
                return entry
        raise Failure(f"{os.path.basename(self.path)} has no entry named {name!r}")

    def with_code(self, code):
        for entry in sorted(self.entries.values(), key=lambda e: e.number):
            if entry.code == code:
                return entry
        raise Failure(f"{os.path.basename(self.path)} has no key slot with key code {code}")


class Rect:
    __slots__ = ("left", "top", "right", "bottom")

    def __init__(self, left, top, right, bottom):
        self.left, self.top, self.right, self.bottom = left, top, right, bottom

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    def __eq__(self, other):
        return isinstance(other, Rect) and (self.left, self.top, self.right, self.bottom) == \
            (other.left, other.top, other.right, other.bottom)

    def __repr__(self):
        return f"{self.width}x{self.height} at ({self.left},{self.top})"


def parse_fields(line):
    """key=value fields of an e2e_control line; quoted values may hold blanks and escapes."""
    fields = {}
    for match in re.finditer(r'(\w+)=("(?:[^"\\]|\\.)*"|\S*)', line):
        value = match.group(2)
        if value.startswith('"'):
            value = re.sub(r"\\u([0-9A-F]{4})|\\(.)",
                           lambda m: chr(int(m.group(1), 16)) if m.group(1) else m.group(2), value[1:-1])
        fields[match.group(1)] = value
    return fields


def parse_rect(text):
    return Rect(*(int(v) for v in text.split(",")))


class WindowInfo:
    """A window as e2e_control lists it."""

    def __init__(self, line):
        f = parse_fields(line)
        self.line = line
        self.hwnd = f["hwnd"]
        self.visible = f.get("visible") == "1"
        self.main = f.get("main") == "1"  # the program's main window (its boxes share its caption)
        self.enabled = f.get("enabled", "1") == "1"
        self.rect = parse_rect(f["rect"])
        self.cls = f.get("class", "")
        self.title = f.get("title", f.get("text", ""))
        self.id = int(f["id"]) if "id" in f else None
        self.items = int(f["items"]) if "items" in f else None
        self.selected = int(f["selected"]) if "selected" in f else None

    def __repr__(self):
        return self.line


class Gui:
    """What a person does with the program's windows: clicks on the regions of its pictures (placed
    by "Main.ini" and "Composite.ini"), answers its questions, picks menu items and files; and
    what the screen shows in return."""

    DIALOG_CLASS = "#32770"   # dialog boxes: the main window, the assignment dialog, questions, about
    MENU_CLASS = "#32768"
    LIST_POPUP_CLASS = "ComboLBox"
    CB_GETITEMHEIGHT, LB_GETTOPINDEX = 0x0154, 0x018E

    def __init__(self, session, dist_dir):
        self.s = session
        self.dist_dir = dist_dir
        self.main_layout = ButtonInfo(os.path.join(dist_dir, "Main.ini"))
        self.dialog_layout = ButtonInfo(os.path.join(dist_dir, "Composite.ini"))
        self._pictures = {}

    def picture(self, name):
        """A skin picture ("main_normal", "key_mask", ...), read once."""
        if name not in self._pictures:
            self._pictures[name] = load_bmp(os.path.join(self.dist_dir, "skin", name + ".bmp"))
        return self._pictures[name]

    # -- finding windows

    def windows(self, title=MAIN_TITLE):
        """The top-level windows of the process that owns the window with that caption."""
        return [WindowInfo(line) for line in self.s.wine.control_ok("windows", title).split("\n") if line.strip()]

    def children(self, hwnd):
        return [WindowInfo(line) for line in self.s.wine.control_ok("children", hwnd).split("\n") if line.strip()]

    def ask(self, hwnd, message, wparam=0, lparam=0):
        return int(self.s.wine.control_ok("ask", hwnd, hex(message), wparam, lparam))

    def main_window(self):
        shown = self.windows()
        for w in [w for w in shown if w.main] + shown:
            if w.title == MAIN_TITLE and w.cls == self.DIALOG_CLASS:
                return w
        raise Failure(f"no \"{MAIN_TITLE}\" window")

    def wait_main_window(self, visible, seconds=5):
        seen = []

        def state():
            seen[:] = [self.main_window()]
            return seen[0].visible == visible

        if not poll_until(state, seconds, interval=0.02):
            raise Failure(f"the main window is still {'hidden' if visible else 'visible'} after {seconds:g} s: "
                          f"{seen[0].line}")
        return seen[0]

    def assign_dialog(self):
        """The key assignment dialog: the program's other visible dialog window, without a caption."""
        for w in self.windows():
            if w.visible and w.cls == self.DIALOG_CLASS and w.title == "":
                return w
        return None

    def wait_assign_dialog(self, open_, seconds=5):
        found = poll_until(lambda: (self.assign_dialog() is not None) == open_, seconds, interval=0.02)
        if not found:
            raise Failure(f"the key assignment dialog did not {'open' if open_ else 'close'} within {seconds:g} s; "
                          f"windows: {self.describe_windows()}")
        return self.assign_dialog()

    def wait_window(self, title, seconds=5, cls=DIALOG_CLASS):
        """A visible top-level window of the program with that caption, the main window aside."""
        def find():
            return next((w for w in self.windows() if w.visible and w.title == title and w.cls == cls and not w.main),
                        None)

        window = poll_until(find, seconds, interval=0.02)
        if window is None:
            raise Failure(f"no window \"{title}\" within {seconds:g} s; windows: {self.describe_windows()}")
        return window

    def message_boxes(self, title):
        """The program's visible boxes with that caption, the main window aside."""
        return [w for w in self.windows() if w.visible and w.title == title and w.cls == self.DIALOG_CLASS and not w.main]

    def wait_gone(self, window, seconds=5):
        def gone():
            code, out = self.s.wine.control("windows", MAIN_TITLE)
            if code != 0:
                return True  # the program has no main window any more (it ended)
            shown = [WindowInfo(line) for line in out.split("\n") if line.strip()]
            return not any(w.hwnd == window.hwnd and w.visible for w in shown)

        if not poll_until(gone, seconds, interval=0.02):
            raise Failure(f"window \"{window.title}\" ({window.hwnd}) still open after {seconds:g} s")

    def describe_windows(self):
        try:
            shown = [f"{w.cls} \"{w.title}\" {w.rect}" for w in self.windows() if w.visible]
        except Failure as failure:
            return str(failure)
        return "; ".join(shown) or "none visible"

    def control(self, window, control_id):
        for c in self.children(window.hwnd):
            if c.id == control_id:
                return c
        raise Failure(f"window {window.hwnd} has no control {control_id}")

    def texts(self, window):
        """The texts of a window's static controls: what a message box says."""
        return [c.title for c in self.children(window.hwnd) if c.cls == "Static" and c.title]

    # -- clicks

    def click_at(self, x, y):
        self.s.screen.click(x, y)

    def click_entry(self, window, layout, number):
        entry = layout[number]
        x, y = entry.centre()
        self.click_at(window.rect.left + x, window.rect.top + y)

    def click_dialog(self, number, dialog=None):
        self.click_entry(dialog or self.wait_assign_dialog(True), self.dialog_layout, number)

    def menu_item_centres(self, menu, items):
        """Where to click each item of an open popup menu whose items top to bottom are `items`
        (None for a separator): text items share the height between the separators, whose lines
        are found on the screen. Returns (x, y) on the screen per item."""
        image = self.s.screen.grab(menu.rect.left, menu.rect.top, menu.rect.width, menu.rect.height)
        width, height = image.width, image.height
        background = image.pixel(width - 4, height // 2)
        # A separator's line runs across the menu in one colour; text never does.
        lines = []
        for y in range(2, height - 2):
            row = {image.pixel(x, y) for x in range(width // 8, width - width // 8)}
            if len(row) == 1 and row != {background}:
                if lines and lines[-1][1] == y - 1:
                    lines[-1][1] = y
                else:
                    lines.append([y, y])
        separators = items.count(None)
        if len(lines) != separators:
            raise Failure(f"the menu shows {len(lines)} separator lines, its items say {separators}: {items}")
        # The spans between the edges and the separators, each shared by its text items. Wine
        # draws a 1-pixel frame with 3 pixels of padding below the last item, and a separator as
        # a 9-pixel item with its line 6 pixels down.
        bounds = [1] + [b for line in lines for b in (line[0] - 6, line[0] + 3)] + [height - 4]
        centres, span, group = [], 0, []
        for item in items + [None]:
            if item is not None:
                group.append(item)
                continue
            top, bottom = bounds[2 * span], bounds[2 * span + 1]
            for i in range(len(group)):
                centres.append((menu.rect.left + width // 2, menu.rect.top + top + (2 * i + 1) * (bottom - top) // (2 * len(group))))
            centres.append(None)
            span, group = span + 1, []
        return centres[:len(items)]

    def menu_item_marked(self, menu, items, item):
        """Whether an item of the open popup menu shows a check mark or a radio dot left of its
        text."""
        _, y = self.menu_item_centres(menu, items)[items.index(item)]
        image = self.s.screen.grab(menu.rect.left + 2, y - 5, 14, 11)
        return any(image.pixel(x, row) == (0, 0, 0) for x in range(14) for row in range(11))

    def click_control(self, control):
        self.click_at((control.rect.left + control.rect.right) // 2, (control.rect.top + control.rect.bottom) // 2)

    def answer(self, box, button_id):
        """Clicks a button of a message box (1 OK, 2 Cancel) and waits for the box to close."""
        self.click_control(self.control(box, button_id))
        self.wait_gone(box)

    def choose_in_list(self, combo, index):
        """Opens a drop-down list with a click on its arrow and clicks item `index`."""
        self.click_at(combo.rect.right - 8, (combo.rect.top + combo.rect.bottom) // 2)
        popup = poll_until(lambda: next((w for w in self.windows()
                                         if w.visible and w.cls == self.LIST_POPUP_CLASS), None), 5, interval=0.02)
        if popup is None:
            raise Failure(f"the list of {combo.hwnd} did not drop down; windows: {self.describe_windows()}")
        height = self.ask(combo.hwnd, self.CB_GETITEMHEIGHT)
        seen = {}

        def in_view():
            # The list is sized and scrolled as it drops down: read it again until it holds still.
            seen["popup"] = next((w for w in self.windows() if w.hwnd == popup.hwnd), popup)
            seen["top"] = self.ask(popup.hwnd, self.LB_GETTOPINDEX)
            seen["rows"] = (seen["popup"].rect.height - 2) // max(height, 1)
            return seen["top"] <= index < seen["top"] + seen["rows"]

        if not poll_until(in_view, 2, interval=0.02):
            raise Failure(f"item {index} of the list of {combo.hwnd} is not in view: rows {seen['top']} to "
                          f"{seen['top'] + seen['rows'] - 1} of {seen['popup']}")
        rect = seen["popup"].rect
        self.click_at(rect.left + rect.width // 2, rect.top + 1 + (index - seen["top"]) * height + height // 2)
        self.wait_gone(popup)

    # -- what the screen shows

    def grab_window(self, window):
        return self.s.screen.grab(window.rect.left, window.rect.top, window.rect.width, window.rect.height)

    def expected_main(self, active_profile, assigned_entries=(), over_entry=None, apply_lit=False, held_codes=()):
        """The main window at rest: the normal picture, the active profile's button in the down
        look (also under the pointer), "Apply" too while edits wait (`apply_lit`), each assigned
        key slot in the look of its kind with its Hold mark, `over_entry` in the over look, and
        every key slot of a key held down now (`held_codes`, the live view) in the over look.
        `assigned_entries` maps an entry to (kind, held), as `assigned_entries` of the kit gives
        it; a plain list of entries stands for keys given other keys."""
        image = self.picture("main_normal")
        down, normal, over = self.picture("main_down"), self.picture("main_normal"), self.picture("main_over")
        looks = assigned_entries if isinstance(assigned_entries, dict) else \
            {number: (profile_ini.KIND_SINGLE, False) for number in assigned_entries}
        active = {1: 128, 2: 129, 3: 130}.get(active_profile)
        if over_entry == active:
            over_entry = None
        lit = [active] + ([self.screen_button("Apply").number] if apply_lit else [])
        for number in (128, 129, 130, self.screen_button("Apply").number):
            e = self.main_layout[number]
            image = image.paste((down if number in lit else normal).crop(e.x, e.y, e.width, e.height), e.x, e.y)
        marks = []
        for number, (kind, held) in looks.items():
            e = self.main_layout[number]
            if number != over_entry:
                key = (number, kind)
                if key not in self._pictures:
                    self._pictures[key] = window_face.recoloured(down.crop(e.x, e.y, e.width, e.height), kind)
                image = image.paste(self._pictures[key], e.x, e.y)
            if window_face.marked(kind, held):
                marks += window_face.hold_mark_fills(e.x, e.y, e.width, e.height)
        lit_keys = [e.number for e in self.main_layout.entries.values()
                    if e.code in held_codes and 1 <= e.number <= profile_ini.KEY_SLOT_COUNT]
        for number in ([over_entry] if over_entry is not None else []) + lit_keys:
            e = self.main_layout[number]
            image = image.paste(over.crop(e.x, e.y, e.width, e.height), e.x, e.y)
        for rect, colour in marks:
            image = window_face.fill(image, rect, colour)
        return image

    def main_selection(self):
        """The pixels of the main window that its pictures predict: inside the outline, less what
        the program draws itself and what the system's state decides (the legend, with the
        system's font, and the lock lamps)."""
        key = ("selection", "main")
        if key not in self._pictures:
            places = window_face.indicators(self.main_layout.path)
            drawn = [places[name] for name in ("Legend", "NumLock", "CapsLock", "ScrollLock") if name in places]
            self._pictures[key] = self.inside_mask("main_mask").without(drawn)
        return self._pictures[key]

    def inside_mask(self, mask_name):
        """The pixels a mask picture keeps (computed once per mask)."""
        key = ("selection", mask_name)
        if key not in self._pictures:
            self._pictures[key] = Selection.inside_mask(self.picture(mask_name))
        return self._pictures[key]

    def looks_of(self, actual, layout, numbers, pictures):
        """For each entry: the name of the picture whose region it shows, or "none"."""
        found = {}
        for number in numbers:
            e = layout[number]
            region = actual.crop(e.x, e.y, e.width, e.height)
            found[number] = next((name for name in pictures
                                  if self.picture(name).crop(e.x, e.y, e.width, e.height).data == region.data), "none")
        return found

    def screens_dir(self):
        return os.path.join(os.path.dirname(self.s.work_dir), "screens")

    def shot(self, name):
        """A screenshot for a person to look at; prints its path."""
        path = screenshot(self.s.xvfb.display, os.path.join(self.screens_dir(), name + ".png"))
        print(f"  screenshot: {path}")
        return path

    def wait_picture(self, window, expected, what, selection=None, seconds=5, layout=None,
                     looks=("main_normal", "main_over", "main_down")):
        """Waits until the window shows `expected` (or one of a list of pictures) within
        `selection` (by default the main window's outline); returns the last grab. A failure
        names each region (of `layout`) that differs and the picture it shows, and leaves a
        screenshot."""
        layout = layout or self.main_layout
        selection = selection or self.main_selection()
        state = {}
        candidates = expected if isinstance(expected, list) else [expected]
        expected = candidates[0]

        def matches():
            state["actual"] = self.grab_window(window)
            state["difference"] = Difference(state["actual"], expected, selection)
            return not state["difference"] or any(not Difference(state["actual"], other, selection)
                                                  for other in candidates[1:])

        if poll_until(matches, seconds, interval=0.03):
            return state["actual"]
        difference, actual = state["difference"], state["actual"]
        everything = Difference(actual, expected, selection, limit=10 ** 7)
        regions = sorted({next((e.number for e in layout.entries.values() if e.contains(x, y)), 0)
                          for x, y, _, _ in everything.samples})
        shown = self.looks_of(actual, layout, [n for n in regions if n], looks) if looks else {}
        named = ", ".join(f"{n} \"{layout[n].name}\" shows {shown.get(n, '?')}" if n else "outside every region"
                          for n in regions[:12])
        path = self.shot(f"failure-{re.sub(r'[^a-z0-9]+', '-', what.lower()).strip('-')}")
        raise Failure(f"{what}: after {seconds:g} s the window ({window.rect}) still differs: {difference.describe()}; "
                      f"regions that differ: {named}; screenshot {path}")

    # -- the main window's regions

    def key_slot(self, code):
        return self.main_layout.with_code(code)

    def screen_button(self, name):
        return self.main_layout.named(name)

    def click_button(self, name):
        """A press on a screen button of the main window ("Close", "Profile2", ...)."""
        self.click_entry(self.main_window(), self.main_layout, self.screen_button(name).number)

    def press_resting_button(self, name, active_profile, assigned_entries):
        """A press on a screen button whose action shows nothing ("Apply"), in a way that tells
        when it has been handled: the pointer rests on the button until it shows its over look,
        presses there, then rests on empty spots (rest_pointer). Mouse messages are handled in
        order, so the button loses its over look only after the press has been handled."""
        window = self.main_window()
        button = self.screen_button(name)
        self.s.screen.move(window.rect.left + button.centre()[0], window.rect.top + button.centre()[1])
        over = [self.expected_main(active_profile, assigned_entries, over_entry=button.number),
                self.expected_main(0, assigned_entries, over_entry=button.number)]
        self.wait_picture(window, over, f"\"{name}\" under the resting pointer")
        self.s.screen.button(True)
        self.s.screen.button(False)
        self.rest_pointer(active_profile, assigned_entries, f"the window after \"{name}\"")

    def open_key_dialog(self, code):
        """A click on the key slot with that key code; returns the assignment dialog it opens."""
        self.click_entry(self.main_window(), self.main_layout, self.key_slot(code).number)
        return self.wait_assign_dialog(True)

    def neutral_points(self, count=2):
        """Points of the main window (window coordinates) inside its outline and at least 4 pixels
        from every region, 40 pixels apart: resting there highlights nothing."""
        mask = self.picture("main_mask")
        found = []
        for y in range(20, mask.height - 20, 4):
            for x in range(mask.width // 2, mask.width - 20, 4):
                if mask.pixel(x, y) != (255, 255, 255) and all(
                        not (e.x - 4 <= x < e.x + e.width + 4 and e.y - 4 <= y < e.y + e.height + 4)
                        for e in self.main_layout.entries.values()) and \
                        all(abs(x - fx) + abs(y - fy) >= 40 for fx, fy in found):
                    found.append((x, y))
                    if len(found) == count:
                        return found
        raise Failure("the main window has too few points outside every region")

    def rest_pointer(self, active_profile, assigned_entries, what, held_codes=()):
        """Rests the pointer on an empty spot of the main window, then on another, then parks it
        outside the desktop, and waits for the picture at rest. A hover on no region draws the
        entry hovered last in its normal look, the active profile's button included; the second
        hover draws that button pressed again. Leaving the window changes nothing."""
        window = self.main_window()
        at_rest = self.expected_main(active_profile, assigned_entries, held_codes=held_codes)
        (ax, ay), (bx, by) = self.neutral_points(2)
        self.s.screen.move(window.rect.left + ax, window.rect.top + ay)
        self.wait_picture(window, [at_rest, self.expected_main(0, assigned_entries, held_codes=held_codes)],
                          what + " (first rest)")
        self.s.screen.move(window.rect.left + bx, window.rect.top + by)
        actual = self.wait_picture(window, at_rest, what)
        self.s.park_pointer()
        return actual

    # -- the key assignment dialog

    # Dialog kinds: the stored kinds 0..8 (4..8 share the "Other" mode), and 100 for the macro
    # table alone (KIND_MACRO_ONLY).
    DIALOG_BACKGROUND = {0: "key_normal", 1: "macro_normal", 2: "media_normal", 3: "function_normal",
                         4: "other_normal", 5: "other_normal", 6: "other_normal", 7: "other_normal",
                         8: "other_normal", 100: "macro2_normal"}
    # The mode button drawn pressed in each dialog kind, and in the "Other" mode the choice.
    MODE_ENTRY = {0: 6, 1: 7, 2: 8, 3: 9, 4: 28, 5: 28, 6: 28, 7: 28, 8: 28, 100: 7}
    CHOICE_ENTRY = {4: 29, 5: 30, 6: 31, 7: 39, 8: 42}
    # The all-profiles box (41) is left out: it shows its tick while it rests.
    SKINNED_ENTRIES = (1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 24, 25, 28, 29, 30, 31, 34, 39,
                       42, 44)
    RECORD_ENTRY = 12
    TOGGLE_ENTRIES = (12, 24, 25, 29, 30, 31, 39, 42, 44)
    # Each skinned entry's faces: normal, down (the mode button of the kind, the record button
    # while recording, a ticked check box, the chosen choice) and disabled (None: drawn as normal).
    KEY_FACES = ("key_normal", "key_down", None)
    MACRO_FACES = ("macro_normal", "macro_down", "macro_disable")
    OTHER_FACES = ("other_normal", "other_down", "other_disable")
    ENTRY_FACES = (dict.fromkeys((1, 2, 3, 4, 6, 7, 8, 9, 24, 28), KEY_FACES) |
                   dict.fromkeys((10, 11, 12, 13, 14, 15, 16, 17, 18, 25), MACRO_FACES) |
                   dict.fromkeys((29, 30, 31, 34, 39, 42, 44), OTHER_FACES))
    DIALOG_LOOKS = ("key_normal", "key_over", "key_down", "macro_normal", "macro_over", "macro_down",
                    "macro_disable", "media_normal", "function_normal", "macro2_normal", "other_normal",
                    "other_over", "other_down", "other_disable")

    def dialog_controls(self, dialog):
        """The dialog's controls by id. Inner windows are listed too (a combo box's edit field,
        the step list's header); they carry ids no control of the dialog has."""
        return {c.id: c for c in self.children(dialog.hwnd)}

    def wait_control(self, dialog, control_id, condition, what, seconds=5):
        """Waits until condition(control) holds for a control of the dialog; returns the control."""
        seen = {}

        def check():
            seen["c"] = self.dialog_controls(dialog).get(control_id)
            return seen["c"] is not None and condition(seen["c"])

        if not poll_until(check, seconds, interval=0.02):
            raise Failure(f"{what}: not within {seconds:g} s; control {control_id} is {seen['c']}")
        return seen["c"]

    def check_dialog_look(self, dialog, kind, what, recording=False, ticked=()):
        """The dialog shows, outside its visible controls, the background picture of its kind,
        and every visible skinned button its face: the kind's mode button pressed (and the record
        button while recording, the check boxes of `ticked`, the choice of a kind of the "Other"
        mode), a disabled button its disabled face, the others their normal faces. The pointer
        must rest outside the dialog."""
        expected = self.picture(self.DIALOG_BACKGROUND[kind])
        skip = []
        selected = self.MODE_ENTRY[kind]
        ticked = tuple(ticked) + ((self.CHOICE_ENTRY[kind],) if kind in self.CHOICE_ENTRY else ())
        for c in self.children(dialog.hwnd):
            if not c.visible:
                continue
            r = (c.rect.left - dialog.rect.left, c.rect.top - dialog.rect.top, c.rect.width, c.rect.height)
            entry = next((n for n in self.SKINNED_ENTRIES
                          if (self.dialog_layout[n].x, self.dialog_layout[n].y, self.dialog_layout[n].width,
                              self.dialog_layout[n].height) == r), None)
            if entry is None or c.cls != "Button":
                skip.append(r)
                continue
            normal, down, disabled = self.ENTRY_FACES[entry]
            pressed = entry == selected or entry in ticked or (recording and entry == self.RECORD_ENTRY)
            # The record button, a check box or a choice keeps its pressed face while disabled:
            # the delays box stays ticked while a recording runs.
            toggle = entry in self.TOGGLE_ENTRIES
            face = down if pressed and toggle else disabled if disabled and not c.enabled else \
                down if pressed else normal
            expected = expected.paste(self.picture(face).crop(*r), r[0], r[1])
        selection = self.inside_mask("key_mask").without(skip)
        return self.wait_picture(dialog, expected, what, selection=selection, layout=self.dialog_layout,
                                 looks=self.DIALOG_LOOKS)
