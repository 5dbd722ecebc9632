"""The words the skin pictures show, in one table per language.

Each language is a file labels_<code>.py beside this one holding LABELS, a dict from a label's
name to its text; every table names the same labels. The generator draws the whole set of
pictures once per table it finds, so a further language is a further file. Key legends are not
labels: they are what is printed on the keyboard itself, the same whatever the language.
"""

import importlib
import re
from contextlib import contextmanager
from pathlib import Path

import paint

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]

# Russian first: its 100 % set is also written as the older skin's bitmaps.
LANGUAGES = tuple(sorted((p.stem[len("labels_"):] for p in HERE.glob("labels_*.py")),
                         key=lambda code: (code != "ru", code)))
TABLES = {code: importlib.import_module(f"labels_{code}").LABELS for code in LANGUAGES}

_language = LANGUAGES[0]
SAID = []  # (language, percent, text) of every label drawn, for the fit check


@contextmanager
def speaking(code):
    """Draws the labels of the block in language code."""
    global _language
    saved, _language = _language, code
    paint.language = code
    try:
        yield
    finally:
        _language = saved
        paint.language = saved


def say(name):
    """The text of label name in the language being drawn."""
    table = TABLES[_language]
    if name not in table:
        raise KeyError(f"label {name!r} has no text in labels_{_language}.py")
    SAID.append((_language, paint.percent(), table[name]))
    return table[name]


def check_tables():
    """Every table names the same labels, none of them empty."""
    names = set(TABLES[LANGUAGES[0]])
    for code, table in TABLES.items():
        assert set(table) == names, \
            f"labels_{code}.py differs in names: {sorted(set(table) ^ names)}"
        empty = [n for n, t in table.items() if not t.strip()]
        assert not empty, f"labels_{code}.py: empty texts {empty}"


def check_fits():
    """Every label drawn was measured against its place at the scale and in the language it was
    drawn in, and fitted."""
    measured = {(lang, p, text) for lang, p, text, _, _ in paint.FITS}
    unmeasured = sorted({s for s in SAID if s not in measured})
    assert not unmeasured, f"labels drawn without a place to fit: {unmeasured[:5]}"
    over = [f for f in paint.FITS if f[3] > f[4]]
    assert not over, f"labels wider than their place: {over[:5]}"
    return len({(lang, p) for lang, p, _ in SAID}), len(SAID)


# The program's own texts that land on the pictures (the missing keyboard's notice, the legend
# words). They live with the program's texts, one source file per language.
_ENTRY = re.compile(r'\{TextId::(\w+),\s*L"((?:[^"\\]|\\.)*)"\}')


def program_text(name, lang):
    """The program's text by its id (e.g. "KeyboardMissing") in lang,
    or None when the program has no text of that language."""
    table = ROOT / "base" / f"texts_{lang}.cpp"
    if not table.exists():
        return None
    text = dict(_ENTRY.findall(table.read_text(encoding="utf-8"))).get(name)
    return None if text is None else text.replace("\\n", "\n").replace('\\"', '"')
