#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses (fuzz/corpus/NAME/): small
real-looking files and records, and for the binary harnesses (settings,
paths, hostile_host) inputs laid out as their LLVMFuzzerTestOneInput reads
them. Run from anywhere; it rewrites only the files named here."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(name, file, data):
    folder = os.path.join(HERE, "corpus", name)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, file), "wb") as f:
        f.write(data)


# [SECTION] key_bindings: configuration files
starter = open(os.path.join(HERE, "..", "package", "Skyvane2004.cfg"), "rb").read()
put("key_bindings", "starter.cfg", starter)
put("key_bindings", "notepad_bom.cfg", b"\xef\xbb\xbf[Keyboard]\r\nToggleFlyBy=F1\r\nPilotUp=NUMPAD_9,CONTROL,DOUBLE\r\n")
put("key_bindings", "edge_tokens.cfg",
    "[keyboard]\n,//=1 X= ToggleFlyBy=f1,shift,double ToggleFlyBy=NZ150 Cmd=a Key==\n"
    "PilotForward=JOYSTICK_1_BUTTON_3 //comment=1 =Q A=MOUSE_WHEEL_UP,INVERSE,ALT,NZ-7\n")
put("key_bindings", "two_sections.cfg",
    "[Keyboard]\r\nToggleFlyBy=F1\r\n[Other]\r\nToggleFlyBy=F2\r\n[KEYBOARD]\r\nToggleApproachView=F3,SHIFT\r\n")
put("key_bindings", "no_section.cfg", "[Keybaord]\r\nToggleFlyBy=F1\r\n")

# [SECTION] view_file: view files
zero = "".join("View.%d=0,%s\r\n" % (i, ",".join(["0.0000"] * 7)) for i in range(10))
put("view_file", "saved_at_start.skv", zero)
put("view_file", "typical.skv",
    "View.0=0,1.2500,-3.0000,10.5000,5.0000,350.0000,0.0000,1.0000\r\n"
    "View.2= 1, 10.5, 0, 0, 0, 90, 0, 1\r\n"
    "View.4=0,0.0000,0.0000,0.0000,0.0000,0.0000,0.0000,2.5000\r\n")
put("view_file", "odd_lines.skv",
    "view.1=0,1,2,3,4,5,6,7\nView.3=1\nView.5=0,1e300,1e999,-1e999,nan,0x10,-0,4\nView.12=0,1\nView.6=0,9\n")

# [SECTION] number_text: number texts
for i, text in enumerate(["0.600000", "-12abc", "1e999", "  +3.5e-2x", "0x10", "2147483648", ".5", "nan",
                          "-2147483649", "1e-400", "\t\n-0.0e+", "99999999999999999999.5e3"]):
    put("number_text", "n%02d.txt" % i, text)

# [SECTION] settings: thirty values, each a 16-bit length and its bytes
defaults = ["1", "10", "0", "50", "15", "0", "0", "0", "25.000000", "0.000000", "10.000000", "200.000000",
            "0", "1", "0", "1", "0.600000", "0.600000", "0.600000", "0.250000", "5.000000", "1", "1", "1",
            "1", "50", "15.000000", "100.000000", "0", "0"]


def settings(values):
    out = b""
    for v in values:
        if v is None:
            out += struct.pack("<H", 0x8000)
        else:
            b = v.encode("latin-1") if isinstance(v, str) else v
            out += struct.pack("<H", len(b)) + b
    return out


put("settings", "defaults.bin", settings([v + "\0" for v in defaults]))
odd = [v + "\0" for v in defaults]
odd[8] = "1e999\0"
odd[16] = "5.5\0"
odd[27] = "9" * 300 + "\0"
odd[1] = "12abc\0"
odd[20] = b"\x00\x01\x02"
odd[12] = None
put("settings", "hostile.bin", settings(odd))

# [SECTION] paths: module path, then dialogs (how, path, view file bytes)


def paths(module, dialogs):
    m = module.encode("latin-1")
    out = struct.pack("<H", len(m)) + m
    for how, path, content in dialogs:
        p = path.encode("latin-1")
        c = content.encode("latin-1")
        out += bytes([how]) + struct.pack("<H", len(p)) + p + bytes([len(c)]) + c
    return out


put("paths", "program_files.bin",
    paths("C:\\Program Files\\Microsoft Games\\Flight Simulator 9\\Modules\\Skyvane2004.dll",
          [(1, "C:\\Users\\pilot\\Documents\\views.skv", "View.1=0,1,2,3,4,5,6,7\r\n"),
           (3, "C:\\Users\\pilot\\Documents\\saved.skv", ""),
           (0, "", "")]))
put("paths", "short.bin", paths("Skyvane2004.dll", [(1, "x.skv", "View.0=1\r\n"), (3, "\\\\server\\share\\v.skv", "")]))

# [SECTION] hostile_host: programs of one-byte operations and their operands


def f64(x):
    return struct.pack("<d", x)


def var(index, value):
    return bytes([0, index]) + f64(value)


def frames(n, ms):
    return bytes([4, n - 1]) + struct.pack("<H", ms)


def message(how, wparam, x, y, keys=0):
    return bytes([5, how]) + struct.pack("<Iii", wparam, x, y) + bytes([keys])


def command(index):
    return bytes([8, index])


def setting_int(index, value):
    return bytes([7, index]) + struct.pack("<i", value)


VARS = [2, 60, 68, 71, 72, 73, 77, 79, 86, 343, 349, 351, 551, 552, 553, 832]
heading = VARS.index(86)
put("hostile_host", "frames.bin", frames(8, 40) + frames(8, 40) + frames(8, 40))
put("hostile_host", "huge_heading.bin", frames(8, 500) + var(heading, 1e12) + frames(2, 40) +
    var(heading, float("inf")) + frames(2, 40) + var(VARS.index(832), float("nan")) + frames(4, 40))
put("hostile_host", "nan_matrix.bin", frames(8, 500) + bytes([2, 0]) + struct.pack("<I", 0x7FC00000) + bytes([9]) +
    frames(3, 40))
# Mouse look on (command 0), then the cursor jumps across the whole range.
put("hostile_host", "cursor_jump.bin", frames(8, 500) + command(0) + message(8, 0, 2000000000, 5) +
    message(8, 0, -2000000000, -5) + frames(2, 40))
put("hostile_host", "huge_preset.bin", frames(8, 500) + setting_int(15, 0) +
    bytes([6, 1, 0]) + f64(1e300) + f64(1.7976931348623157e308) + f64(-1e300) + f64(0) + f64(1e300) +
    f64(0) + f64(1e300) + command(45) + frames(3, 40))
# Fly-by and approach views on through their commands, keys and wheel.
put("hostile_host", "cameras.bin", frames(8, 500) + command(2) + frames(4, 200) + command(3) + frames(4, 200) +
    message(0x80 | 0, ord("F"), 0, 0) + message(9, 120 << 16, 10, 10) + frames(4, 40))
