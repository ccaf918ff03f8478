#!/usr/bin/env python3
"""Writes SALVORA.INF: release/salvora.inf.in with the shell extension's
registration taken from shellext/slvrsext.reg, so that the two never differ.

usage: mkinf.py TEMPLATE REGFILE OUTPUT
The folder the .reg file names for the DLL becomes the installed folder; the
output has CR/LF line ends, as Windows 95's setup engine reads them."""
import re
import sys

REG_FOLDER = "C:\\Program Files\\Salvora\\"
INF_FOLDER = "%24%\\%ProgramFilesShort%\\SALVORA\\"
ROOTS = {"HKEY_CLASSES_ROOT": "HKCR", "HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU"}


def read_reg(path):
    """[(root, subkey, name, value)] in the file's order; name "" for @."""
    entries, key = [], None
    with open(path, encoding="ascii") as reg:
        for line in reg.read().splitlines():
            line = line.strip()
            section = re.fullmatch(r"\[([A-Z_]+)\\(.+)\]", line)
            if section:
                key = (ROOTS[section.group(1)], section.group(2))
                continue
            value = re.fullmatch(r'(@|"([^"]*)")="((?:[^"\\]|\\.)*)"', line)
            if value:
                text = re.sub(r"\\(.)", r"\1", value.group(3))
                entries.append((key[0], key[1], value.group(2) or "", text))
            elif line and line != "REGEDIT4":
                sys.exit(f"mkinf: {path}: cannot read: {line}")
    return entries


def quoted(text):
    if any(c in text for c in '"%') and not text.startswith("%24%"):
        sys.exit(f"mkinf: a value the INF cannot hold as it is: {text}")
    return f'"{text}"'


def main():
    template, regfile, output = sys.argv[1:4]
    entries = read_reg(regfile)
    addreg = []
    for root, subkey, name, value in entries:
        if value.lower().startswith(REG_FOLDER.lower()):
            value = INF_FOLDER + value[len(REG_FOLDER):]
        addreg.append(f"{root},{quoted(subkey)},{quoted(name) if name else ''},,{quoted(value)}")
    # Every key the .reg file makes, deepest first. A handler's key under the
    # shell's lists goes; the lists themselves stay.
    keys = []
    for root, subkey, _, _ in entries:
        if (root, subkey) not in keys:
            keys.append((root, subkey))
    keys.sort(key=lambda k: -k[1].count("\\"))
    delreg = [f"{root},{quoted(subkey)}" for root, subkey in keys]
    with open(template, encoding="ascii") as t:
        text = t.read()
    text = text.replace("@EXTENSION_ADDREG@", "\n".join(addreg)).replace("@EXTENSION_DELREG@", "\n".join(delreg))
    with open(output, "w", encoding="ascii", newline="\r\n") as out:
        out.write(text)


main()
