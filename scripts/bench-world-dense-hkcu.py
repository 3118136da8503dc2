#!/usr/bin/env python3
"""The finding-dense HKEY_CURRENT_USER world of scripts/bench-wine-scan.sh:
20,000 keys of five values each; 40 % of the values name a program or library
in one of 1,500 product folders that were removed (half of them under a vendor
folder that is still there, half with their vendor folder gone), the rest are
settings, numbers and references to files that exist.
Usage: bench-world-dense-hkcu.py DRIVE_C OUT.reg"""
import os
import random
import sys

drive_c, reg_path = sys.argv[1], sys.argv[2]
VENDORS, PRODUCTS = 150, 10  # 1,500 removed product folders
KEYS, VALUES = 20000, 5
random.seed(20261210)

present = []
for v in range(VENDORS):
    folder = os.path.join(drive_c, "Program Files", f"Maker{v}", "Current")
    os.makedirs(folder, exist_ok=True)
    for name in ("app.exe", "core.dll"):
        open(os.path.join(folder, name), "wb").close()
        present.append(f"C:\\Program Files\\Maker{v}\\Current\\{name}")


def removed_folder():
    v, p = random.randrange(VENDORS), random.randrange(PRODUCTS)
    if v % 2:  # the vendor folder stays, the product is gone
        return f"C:\\Program Files\\Maker{v}\\Product{p}"
    return f"C:\\Program Files\\Gone Maker{v}\\Product{p}"


def missing_program():
    folder = removed_folder()
    k = random.randrange(8)
    return random.choice([
        f"{folder}\\app.exe", f'"{folder}\\app.exe" /min', f"{folder}\\lib{k}.dll",
        f"{folder}\\tool{k}.exe -embedding", f'"{folder}\\setup{k}.exe" /uninstall',
        f"{folder}\\plugins\\plugin{k}.dll"])


def esc(text):
    return text.replace("\\", "\\\\").replace('"', '\\"')


def other():
    n = random.randrange(100000)
    return random.choice([f'"Setting {n}"', f"dword:{n:08x}", f'"{esc(random.choice(present))}"',
                          "hex:01,02,03,04", f'"{n}"'])


with open(reg_path, "w", encoding="latin-1", newline="\r\n") as out:
    out.write("REGEDIT4\n\n")
    for i in range(KEYS):
        out.write(f"[HKEY_CURRENT_USER\\Software\\HsDense\\A{i // 1000}\\B{i // 50 % 20}\\C{i % 50}]\n")
        for v in range(VALUES):
            value = f'"{esc(missing_program())}"' if random.randrange(100) < 40 else other()
            out.write(f'"Value{v}"={value}\n')
        out.write("\n")
