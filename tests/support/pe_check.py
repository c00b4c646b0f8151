#!/usr/bin/python3
"""Reads a produced executable with pefile, a reader independent of ours, and
checks its headers, imports and version strings. Usage:
pe_check.py EXE EXE_NAME COMPANY FILE_VERSION. Prints what differs and exits 1."""
import sys

import pefile

exe, exe_name, company, file_version = sys.argv[1:5]
pe = pefile.PE(exe)
problems = []


def expect(what, got, want):
    if got != want:
        problems.append(f"{what}: got {got!r}, want {want!r}")


expect("machine", pe.FILE_HEADER.Machine, 0x14C)
expect("sections", [s.Name.rstrip(b"\0") for s in pe.sections], [b".code", b".rsrc"])
opt = pe.OPTIONAL_HEADER
expect("magic", opt.Magic, 0x10B)
expect("image base", opt.ImageBase, 0x400000)
expect("subsystem", opt.Subsystem, 3)
expect("entry point", opt.AddressOfEntryPoint, 0x182E)
code, rsrc = pe.sections
expect("code address", code.VirtualAddress, 0x1000)
expect("code ends where the resources begin", code.VirtualAddress + code.Misc_VirtualSize, rsrc.VirtualAddress)
expect("image size", opt.SizeOfImage, rsrc.VirtualAddress + rsrc.Misc_VirtualSize)
expect("resource section after the code", rsrc.PointerToRawData, code.PointerToRawData + code.SizeOfRawData)

imports = [(d.dll.decode(), [i.name.decode() for i in d.imports]) for d in pe.DIRECTORY_ENTRY_IMPORT]
kernel = ["GetStdHandle", "WriteFile", "WriteFile", "ExitProcess", "lstrlen", "lstrlenA", "lstrcmpA",
          "CreateFileA", "WriteFile", "SetFilePointer", "CloseHandle", "GetLocalTime", "GetProcessHeap",
          "HeapAlloc", "HeapFree", "GetCommandLineA", "GetConsoleScreenBufferInfo",
          "FillConsoleOutputCharacterA", "SetConsoleCursorPosition", "SetConsoleCursorInfo"]
expect("imports", imports, [("Kernel32.dll", kernel), ("kernel32.dll", ["ReadFile"]),
                            ("User32.dll", ["wvsprintfA", "wvsprintfW", "CharLowerA", "CharUpperA"])])
slots = {i.name.decode(): i.address for d in pe.DIRECTORY_ENTRY_IMPORT for i in d.imports}
expect("ExitProcess slot", slots["ExitProcess"], 0x40100C)
expect("ReadFile slot", slots["ReadFile"], 0x401054)

strings, translation = {}, None
for info in pe.FileInfo[0]:
    for table in getattr(info, "StringTable", []):
        expect("string table", table.LangID, b"040904b0")
        strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    for var in getattr(info, "Var", []):
        translation = var.entry.get(b"Translation")
expect("strings", sorted(strings), sorted(["CompanyName", "FileDescription", "FileVersion", "InternalName",
                                            "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"]))
expect("CompanyName", strings.get("CompanyName"), company)
expect("FileVersion", strings.get("FileVersion"), file_version)
expect("InternalName", strings.get("InternalName"), exe_name)
expect("OriginalFilename", strings.get("OriginalFilename"), exe_name)
expect("ProductVersion", strings.get("ProductVersion"), "1.0.0.1")
expect("Translation", translation, "0x0409 0x04b0")
fixed = pe.VS_FIXEDFILEINFO[0]
parts = [int(p) for p in file_version.split(".")]
expect("numeric file version", (fixed.FileVersionMS, fixed.FileVersionLS),
       (parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]))

if problems:
    print("\n".join(problems))
    sys.exit(1)
print("ok")
