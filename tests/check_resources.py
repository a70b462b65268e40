#!/usr/bin/env python3
"""Checks of the files that identify and decorate Pallastrovane, run by CTest.

  check_resources.py windres <windres> <preprocessor> <resources dir> <output .res>
  check_resources.py desktop <resources dir>
  check_resources.py pictures <resources dir>

The windres check reads the compiled resource back rather than the .rc text, since what Windows shows is what
windres (or rc.exe) made of it: escapes, code pages and the icon file's own directory all come into play there.
Exit 0 passes, 1 fails, 77 skips (a tool that is not installed).
"""

import glob
import os
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

SKIP = 77

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24

EXPECTED_STRINGS = {
    "FileVersion": "2.0.0.0",
    "ProductVersion": "2.0",
    "FileDescription": "Pallastrovane",
    "ProductName": "Pallastrovane",
    "OriginalFilename": "Pallastrovane.exe",
    "InternalName": "",
    "LongVersion": "\u00a9 2026 the Pallastrovane authors",
    "PackageInfo": "Pallastrovane",
    "Release": "Final",
    "CompanyName": "pallastrovane.invalid",
    "LegalCopyright": "pallastrovane.invalid",
}

# (pixels, bits per pixel) of the seven images of the one icon group.
EXPECTED_ICONS = sorted([(48, 8), (32, 8), (16, 8), (256, 32), (48, 32), (32, 32), (16, 32)])

SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Windows 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # Windows 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # Windows 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # Windows 10
}

PICTURES = {"Question48.jpg": (29, 43), "PallSmall.png": (265, 45), "Pall.png": (435, 54)}
# Each picture's double-size variant for screens above 1x, exactly twice its size so that its logical size is the same.
PICTURES.update({name.replace(".", "@2x."): (2 * w, 2 * h) for name, (w, h) in list(PICTURES.items())})
ICON_SIZES = (16, 32, 48, 256)


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, ok, what):
        if not ok:
            self.failures.append(what)
        return ok

    def finish(self, name):
        for f in self.failures:
            print("FAIL:", f)
        if self.failures:
            print("%s: %d failure(s)" % (name, len(self.failures)))
            return 1
        print("%s: ok" % name)
        return 0


def align4(n):
    return (n + 3) & ~3


def read_id(data, pos):
    """A resource type or name: 0xFFFF and an ordinal, or a NUL-terminated UTF-16LE string."""
    if struct.unpack_from("<H", data, pos)[0] == 0xFFFF:
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    end = pos
    while struct.unpack_from("<H", data, end)[0] != 0:
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def parse_res(data):
    """The entries of a Win32 .res file as (type, name, language, bytes)."""
    entries, pos = [], 0
    while pos + 8 <= len(data):
        size, header_size = struct.unpack_from("<II", data, pos)
        kind, p = read_id(data, pos + 8)
        name, p = read_id(data, p)
        p = align4(p)
        language = struct.unpack_from("<H", data, p + 6)[0]
        body = pos + header_size
        if body + size > len(data):
            raise ValueError("resource entry at %d runs past the end of the file" % pos)
        # The file opens with an empty entry that only marks it as 32-bit.
        if not (size == 0 and kind == 0 and name == 0):
            entries.append((kind, name, language, data[body:body + size]))
        pos = align4(body + size)
    return entries


def parse_version_block(data, pos=0):
    """One node of the VS_VERSIONINFO tree: (key, value bytes, children)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, pos)
    end = pos + length
    key_start = pos + 6
    key_end = key_start
    while struct.unpack_from("<H", data, key_end)[0] != 0:
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_start = align4(key_end + 2)
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = data[value_start:min(value_start + value_bytes, end)]
    children, child = [], align4(value_start + value_bytes)
    while child < end:
        node, child_end = parse_version_block(data, child)
        children.append(node)
        child = align4(child_end)
    return (key, value, children), end


def text_value(value):
    return value.decode("utf-16-le").rstrip("\0")


def check_version(c, entries):
    versions = [e for e in entries if e[0] == RT_VERSION]
    if not c.expect(len(versions) == 1, "one version resource, found %d" % len(versions)):
        return
    (key, fixed, children), _ = parse_version_block(versions[0][3])
    c.expect(key == "VS_VERSION_INFO", "version root key %r" % key)
    if c.expect(len(fixed) == 52, "fixed file info of 52 bytes, found %d" % len(fixed)):
        sig, _, fv_ms, fv_ls, pv_ms, pv_ls, _, _, _, ftype, _, _, _ = struct.unpack("<13I", fixed)
        c.expect(sig == 0xFEEF04BD, "fixed file info signature %#x" % sig)
        c.expect((fv_ms, fv_ls) == (0x00020000, 0), "fixed file version %#x.%#x, want 2.0.0.0" % (fv_ms, fv_ls))
        c.expect((pv_ms, pv_ls) == (0x00020000, 0), "fixed product version %#x.%#x, want 2.0.0.0" % (pv_ms, pv_ls))
        c.expect(ftype == 1, "file type %d, want 1 (application)" % ftype)

    string_infos = [ch for ch in children if ch[0] == "StringFileInfo"]
    tables = [t for s in string_infos for t in s[2]]
    if c.expect([t[0].upper() for t in tables] == ["040904B0"],
                "one string table 040904B0, found %s" % [t[0] for t in tables]):
        strings = {k: text_value(v) for k, v, _ in tables[0][2]}
        for k, want in EXPECTED_STRINGS.items():
            c.expect(strings.get(k) == want, "string %s is %r, want %r" % (k, strings.get(k), want))
    translations = [v for ch in children if ch[0] == "VarFileInfo" for k, v, _ in ch[2] if k == "Translation"]
    c.expect(translations == [struct.pack("<HH", 0x0409, 1200)], "translation US English, Unicode: %r" % translations)


def check_manifest(c, entries):
    manifests = [e for e in entries if e[0] == RT_MANIFEST]
    # Windows loads the process manifest only from ID 1.
    if not c.expect([e[1] for e in manifests] == [1], "one manifest with ID 1, found %s" % [e[1] for e in manifests]):
        return
    try:
        root = ET.fromstring(manifests[0][3])
    except ET.ParseError as e:
        c.expect(False, "manifest is not well-formed XML: %s" % e)
        return

    def all_named(local):
        return [el for el in root.iter() if el.tag.rsplit("}", 1)[-1] == local]

    identity = [el.attrib for el in root if el.tag.rsplit("}", 1)[-1] == "assemblyIdentity"]
    want = {"version": "2.0.0.0", "name": "Pallastrovane.exe", "type": "win32", "processorArchitecture": "*"}
    c.expect(len(identity) == 1 and all(identity[0].get(k) == v for k, v in want.items()),
             "assembly identity %s, want %s" % (identity, want))
    c.expect({el.get("Id", "").lower() for el in all_named("supportedOS")} == SUPPORTED_OS,
             "supported OS Windows 7, 8, 8.1, 10")
    level = [el.attrib for el in all_named("requestedExecutionLevel")]
    c.expect(level == [{"level": "asInvoker", "uiAccess": "false"}], "execution level %s" % level)
    deps = [ident.attrib for dep in all_named("dependentAssembly") for ident in dep]
    c.expect(any(d.get("name") == "Microsoft.Windows.Common-Controls" and d.get("version") == "6.0.0.0" for d in deps),
             "dependency on Common-Controls 6.0.0.0: %s" % deps)
    dpi = [(el.text or "").strip() for el in all_named("dpiAware")]
    c.expect(dpi == ["True/pm"], "dpiAware %s" % dpi)
    awareness = [(el.text or "").strip() for el in all_named("dpiAwareness")]
    c.expect(awareness == ["permonitorv2,permonitor"], "dpiAwareness %s" % awareness)


def image_shape(data):
    """(pixels, bits per pixel) that an RT_ICON image really holds: a BMP header or a PNG's IHDR."""
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        width, height, depth, colour = struct.unpack_from(">IIBB", data, 16)
        channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}.get(colour, 0)
        return (width if width == height else None), channels * depth
    size, width, height, _, bpp = struct.unpack_from("<IiiHH", data, 0)
    if size != 40 or height != 2 * width:
        return None, None
    return width, bpp


def check_icons(c, entries):
    groups = [e for e in entries if e[0] == RT_GROUP_ICON]
    if not c.expect(len(groups) == 1, "one icon group, found %d" % len(groups)):
        return
    data = groups[0][3]
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    c.expect(kind == 1, "icon group type %d, want 1" % kind)
    icons = {e[1]: e[3] for e in entries if e[0] == RT_ICON}
    found = []
    for i in range(count):
        w, h, _, _, planes, bpp, size, ident = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        pixels = w or 256
        found.append((pixels, bpp))
        image = icons.get(ident)
        if not c.expect(image is not None, "icon group entry %d names icon %d, which is missing" % (i, ident)):
            continue
        c.expect(len(image) == size, "icon %d holds %d bytes, the group says %d" % (ident, len(image), size))
        c.expect(w == h, "icon group entry %d is %dx%d" % (i, w, h))
        c.expect(image_shape(image) == (pixels, bpp),
                 "icon %d holds %s, the group says %s" % (ident, image_shape(image), (pixels, bpp)))
    c.expect(sorted(found) == EXPECTED_ICONS, "icon group images %s, want %s" % (found, EXPECTED_ICONS))


def windres(tool, preprocessor, resources, output):
    c = Checks()
    rc = os.path.join(resources, "pallastrovane.rc")
    cmd = [tool, "--preprocessor=" + preprocessor]
    cmd += ["--preprocessor-arg=" + a for a in ("-E", "-xc", "-DRC_INVOKED")]
    cmd += ["-I", resources, "-O", "res", "-o", output, rc]
    if os.path.exists(output):
        os.remove(output)
    try:
        run = subprocess.run(cmd, capture_output=True, text=True)
    except OSError as e:
        c.expect(False, "cannot run %s (binutils-mingw-w64-x86-64, see scripts/install-deps): %s" % (tool, e))
        return c.finish("windres")
    if not c.expect(run.returncode == 0, "windres failed (%d): %s" % (run.returncode, run.stderr.strip())):
        return c.finish("windres")
    with open(output, "rb") as f:
        entries = parse_res(f.read())
    check_version(c, entries)
    check_manifest(c, entries)
    check_icons(c, entries)
    return c.finish("windres")


def desktop(resources):
    tool = shutil.which("desktop-file-validate")
    if tool is None:
        print("desktop-file-validate is not installed (desktop-file-utils); skipped")
        return SKIP
    c = Checks()
    path = os.path.join(resources, "pallastrovane.desktop")
    run = subprocess.run([tool, path], capture_output=True, text=True)
    # Hints count too: a menu may list an entry with two main categories twice.
    output = (run.stdout + run.stderr).strip()
    c.expect(run.returncode == 0 and not output, "desktop-file-validate: %s" % output)
    # The validator cannot know our names: the menu entry must start our binary and find our themed icon.
    with open(path, encoding="utf-8") as f:
        keys = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line and not line.startswith("#"))
    c.expect(keys.get("Exec") == "Pallastrovane", "Exec is %r" % keys.get("Exec"))
    icon = keys.get("Icon", "")
    themed = glob.glob(os.path.join(resources, "icons", "hicolor", "*", "apps", icon + ".png"))
    c.expect(len(themed) == len(ICON_SIZES), "Icon %r names %d of the %d hicolor icons" % (icon, len(themed),
                                                                                         len(ICON_SIZES)))
    return c.finish("desktop")


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack_from(">II", data, 16)


def jpeg_size(data):
    if data[:2] != b"\xff\xd8":
        return None
    pos = 2
    while pos + 4 <= len(data):
        if data[pos] != 0xFF:
            return None
        marker = data[pos + 1]
        if marker in (0xD8, 0x01) or 0xD0 <= marker <= 0xD7:
            pos += 2
            continue
        length = struct.unpack_from(">H", data, pos + 2)[0]
        # Start-of-frame markers; C4, C8 and CC share the range but are tables.
        if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
            height, width = struct.unpack_from(">HH", data, pos + 5)
            return width, height
        pos += 2 + length
    return None


def pictures(resources):
    c = Checks()
    wanted = dict(PICTURES)
    for s in ICON_SIZES:
        wanted[os.path.join("icons", "hicolor", "%dx%d" % (s, s), "apps", "pallastrovane.png")] = (s, s)
    for name, size in wanted.items():
        path = os.path.join(resources, name)
        if not c.expect(os.path.isfile(path), "%s is missing" % name):
            continue
        with open(path, "rb") as f:
            data = f.read()
        found = jpeg_size(data) if name.endswith(".jpg") else png_size(data)
        c.expect(found == size, "%s is %s, want %s" % (name, found or "not a readable picture", size))
    return c.finish("pictures")


def main(argv):
    if len(argv) == 6 and argv[1] == "windres":
        return windres(*argv[2:])
    if len(argv) == 3 and argv[1] == "desktop":
        return desktop(argv[2])
    if len(argv) == 3 and argv[1] == "pictures":
        return pictures(argv[2])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
