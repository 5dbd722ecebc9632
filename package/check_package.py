#!/usr/bin/env python3
"""Checks the zip a user downloads: exactly the program, its data files, the skin and README.txt
in one folder, nothing of the tests, and an orvelle.exe that carries its version resource and a
manifest that declares Windows 10 and 11 supported; with --setup, also that the installer beside
it names the product, its publisher and the same version (what it installs is checked under Wine
by the end-to-end scenario "install").

    check_package.py <zip> --assets <assets folder> --version <x.y.z> [--setup <setup.exe>]

Exit code: 0 the zip is right, 1 it is not, 77 there is no zip (CTest reports the test skipped).
"""
import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

RT_VERSION = 16
RT_MANIFEST = 24
FIXED_INFO_SIGNATURE = 0xFEEF04BD
COMPATIBILITY_NS = "urn:schemas-microsoft-com:compatibility.v1"
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def resource_data(pe, type_id):
    """The bytes of the first resource of that type in a PE image, or None."""
    if pe[:2] != b"MZ":
        return None
    header = struct.unpack_from("<I", pe, 0x3C)[0]
    if pe[header:header + 4] != b"PE\0\0":
        return None
    coff = header + 4
    sections, optional_size = struct.unpack_from("<H", pe, coff + 2)[0], struct.unpack_from("<H", pe, coff + 16)[0]
    optional = coff + 20
    directories = optional + (112 if struct.unpack_from("<H", pe, optional)[0] == 0x20B else 96)
    resource_rva = struct.unpack_from("<I", pe, directories + 2 * 8)[0]
    if resource_rva == 0:
        return None

    def file_offset(rva):
        for i in range(sections):
            entry = optional + optional_size + 40 * i
            size, address, raw_size, raw_offset = struct.unpack_from("<IIII", pe, entry + 8)
            if address <= rva < address + max(size, raw_size):
                return raw_offset + rva - address
        raise ValueError(f"address 0x{rva:x} lies in no section")

    base = file_offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", pe, base + directory + 12)
        for i in range(named + numbered):
            yield struct.unpack_from("<II", pe, base + directory + 16 + 8 * i)

    # Three levels: type, name, language. The first name and language are the ones that count.
    level = None
    for name, target in entries(0):
        if name == type_id and target & 0x80000000:
            level = target & 0x7FFFFFFF
    if level is None:
        return None
    target = next(entries(level), (0, None))[1]
    if target is None or not target & 0x80000000:
        return None
    target = next(entries(target & 0x7FFFFFFF), (0, None))[1]
    if target is None or target & 0x80000000:
        return None
    rva, size = struct.unpack_from("<II", pe, base + target)
    start = file_offset(rva)
    return pe[start:start + size]


def version_blocks(data, pos=0):
    """One block of a version resource and its children: (key, value bytes, is text, children)."""
    def aligned(p):
        return (p + 3) & ~3
    length, value_length, is_text = struct.unpack_from("<HHH", data, pos)
    end = pos + length
    p = pos + 6
    key_end = p
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[p:key_end].decode("utf-16-le")
    p = aligned(key_end + 2)
    value = data[p:p + value_length * (2 if is_text else 1)]
    p = aligned(p + len(value))
    children = []
    while p < end:
        child, p = version_blocks(data, p)
        children.append(child)
        p = aligned(p)
    return (key, value, is_text, children), end


def version_info(pe):
    """The fixed file version and the strings of orvelle.exe's version resource, or None."""
    data = resource_data(pe, RT_VERSION)
    if not data:
        return None
    (key, fixed, _, children), _ = version_blocks(data)
    if key != "VS_VERSION_INFO" or len(fixed) < 52 or struct.unpack_from("<I", fixed)[0] != FIXED_INFO_SIGNATURE:
        return None
    ms, ls = struct.unpack_from("<II", fixed, 8)
    file_version = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    strings = {}
    for child_key, _, _, tables in children:
        if child_key == "StringFileInfo":
            for _, _, _, values in tables:
                for name, value, _, _ in values:
                    strings[name] = value.decode("utf-16-le").rstrip("\0")
    return file_version, strings


def identity_failures(label, pe, version, wanted_strings):
    """How a program's version resource differs from the product's name and version."""
    info = version_info(pe)
    if info is None:
        return [f"{label} carries no version resource"]
    file_version, strings = info
    failures = []
    wanted = tuple(int(part) for part in version.split(".")) + (0,)
    if file_version != wanted:
        failures.append(f"{label}'s file version is {file_version}, not {wanted}")
    for name, value in wanted_strings:
        if strings.get(name) != value:
            failures.append(f"{label}'s {name} is {strings.get(name)!r}, not {value!r}")
    if not strings.get("FileDescription"):
        failures.append(f"{label} has no FileDescription")
    return failures


def manifest_failures(label, pe):
    """How a program's manifest fails to declare Windows 10 and 11 supported: without that the
    system runs it as a program written for an older Windows."""
    data = resource_data(pe, RT_MANIFEST)
    if not data:
        return [f"{label} carries no manifest"]
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError as error:
        return [f"{label}'s manifest is no well-formed XML: {error}"]
    supported = [e.get("Id", "").lower() for e in root.iterfind(
        f"{{{COMPATIBILITY_NS}}}compatibility/{{{COMPATIBILITY_NS}}}application/{{{COMPATIBILITY_NS}}}supportedOS")]
    if WINDOWS_10_AND_11 not in supported:
        return [f"{label}'s manifest does not declare Windows 10 and 11 supported (supportedOS {supported})"]
    return []


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("zip")
    parser.add_argument("--assets", required=True, help="the folder whose files ship beside orvelle.exe")
    parser.add_argument("--version", required=True)
    parser.add_argument("--setup", help="the installer packaged with the zip")
    args = parser.parse_args()

    if not os.path.isfile(args.zip):
        print(f"SKIP: {args.zip} is not built (cmake --build --preset mingw --target package)")
        return 77

    folder = f"orvelle-{args.version}-win64/"
    expected = {"orvelle.exe", "README.txt"}
    for parent, _, files in os.walk(args.assets):
        for name in files:
            expected.add(os.path.relpath(os.path.join(parent, name), args.assets).replace(os.sep, "/"))

    failures = []
    with zipfile.ZipFile(args.zip) as archive:
        names = [n for n in archive.namelist() if not n.endswith("/")]
        outside = [n for n in names if not n.startswith(folder)]
        failures += [f"outside the folder {folder}: {n}" for n in outside]
        present = {n[len(folder):] for n in names if n.startswith(folder)}
        failures += [f"missing: {n}" for n in sorted(expected - present)]
        failures += [f"unexpected: {n}" for n in sorted(present - expected)]
        if not any(n.startswith("skin/") and n.endswith(".bmp") for n in present):
            failures.append("no pictures in skin/")

        if "orvelle.exe" in present:
            failures += identity_failures("orvelle.exe", archive.read(folder + "orvelle.exe"), args.version,
                                          (("ProductName", "ORVELLE"), ("ProductVersion", args.version),
                                           ("FileVersion", args.version)))
            failures += manifest_failures("orvelle.exe", archive.read(folder + "orvelle.exe"))

        if "README.txt" in present:
            text = archive.read(folder + "README.txt")
            # Notepad reads a file without the mark in the ANSI code page and garbles the Russian.
            if not text.startswith(b"\xef\xbb\xbf"):
                failures.append("README.txt lacks the UTF-8 byte order mark")
            if b"\n" in text.replace(b"\r\n", b""):
                failures.append("README.txt has line ends other than CR LF")

        print(f"{args.zip}: {len(names)} files")
        for name in names:
            print(f"  {name}")

    if args.setup:
        if not os.path.isfile(args.setup):
            failures.append(f"no installer {args.setup} beside the zip")
        else:
            with open(args.setup, "rb") as f:
                failures += identity_failures(os.path.basename(args.setup), f.read(), args.version,
                                              (("ProductName", "ORVELLE"), ("CompanyName", "ORVELLE"),
                                               ("ProductVersion", args.version)))

    for failure in failures:
        print(f"FAIL: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
