#!/usr/bin/python3
# Interpreter: Debian's /usr/bin/python3 with python3-pil (Pillow).
"""Verifies that resources/Art holds every picture at its pixel size.

    /usr/bin/python3 tools/check_art.py [ART_DIR]
"""

import os
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ART_DIR = os.path.normpath(os.path.join(HERE, "..", "resources", "Art"))

WINDOW = (785, 480)
TILE = (204, 204)
ICON = (43, 43)
BAR = (133, 29)

EXPECTED = {
    "back_icon.png": ICON,
    "backdrop_screen_blank.png": WINDOW,
    "backdrop_screen_logo.png": WINDOW,
    "blue_box_languages.png": WINDOW,
    "close_icon.png": ICON,
    "download_1.png": TILE,
    "download_2.png": TILE,
    "download_3.png": TILE,
    "existing_1.png": TILE,
    "existing_2.png": TILE,
    "existing_3.png": TILE,
    "forgotten_password_screen.png": WINDOW,
    "install_all.png": BAR,
    "install_icon.png": ICON,
    "login_screen_boxes.png": WINDOW,
    "next.png": ICON,
    "next_icon.png": ICON,
    "register_box_1.png": TILE,
    "register_box_2.png": TILE,
    "register_box_3.png": TILE,
    "registration_screen_1_boxes.png": WINDOW,
    "registration_screen_2_boxes.png": WINDOW,
    "remove_all.png": BAR,
    "settings_icon.png": ICON,
    "shine_all.png": BAR,
    "status_screen_box_overlay.png": WINDOW,
    "trash_icon.png": ICON,
    "trash_small.png": (26, 26),
    "update_all.png": BAR,
    "update_icon.png": ICON,
    "x.png": ICON,
}

ICO_NAME = "app_icon.ico"
ICO_SIZES = {(16, 16), (32, 32), (48, 48), (256, 256)}

# pictures that must have an alpha channel (drawn over other content)
NEEDS_ALPHA = {n for n in EXPECTED if not n.startswith("backdrop_")}

MAX_TOTAL_BYTES = 1500 * 1024


def check(art_dir=ART_DIR):
    errors = []
    total = 0
    for name, size in sorted(EXPECTED.items()):
        path = os.path.join(art_dir, name)
        if not os.path.isfile(path):
            errors.append("missing: " + name)
            continue
        total += os.path.getsize(path)
        try:
            with Image.open(path) as im:
                im.load()
                if im.format != "PNG":
                    errors.append("%s: not a PNG (%s)" % (name, im.format))
                if im.size != size:
                    errors.append("%s: %dx%d, expected %dx%d"
                                  % ((name,) + im.size + size))
                if name in NEEDS_ALPHA and im.mode != "RGBA":
                    errors.append("%s: mode %s, expected RGBA" % (name, im.mode))
                extra = set(im.info) - {"dpi", "gamma"}
                if "transparency" in extra:
                    extra.discard("transparency")
                if extra:
                    errors.append("%s: carries metadata %s" % (name, sorted(extra)))
        except Exception as exc:  # unreadable file
            errors.append("%s: cannot be read (%s)" % (name, exc))

    path = os.path.join(art_dir, ICO_NAME)
    if not os.path.isfile(path):
        errors.append("missing: " + ICO_NAME)
    else:
        total += os.path.getsize(path)
        with Image.open(path) as im:
            sizes = set(im.info.get("sizes", ()))
            if sizes != ICO_SIZES:
                errors.append("%s: sizes %s, expected %s"
                              % (ICO_NAME, sorted(sizes), sorted(ICO_SIZES)))

    known = set(EXPECTED) | {ICO_NAME}
    for name in sorted(os.listdir(art_dir)) if os.path.isdir(art_dir) else []:
        if name not in known:
            errors.append("unexpected file: " + name)

    if total > MAX_TOTAL_BYTES:
        errors.append("total size %d bytes exceeds %d" % (total, MAX_TOTAL_BYTES))

    for e in errors:
        print("FAIL " + e)
    print("%d pictures + icon checked, %d bytes in total, %s"
          % (len(EXPECTED), total, "OK" if not errors else "%d problem(s)" % len(errors)))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(check(sys.argv[1] if len(sys.argv) > 1 else ART_DIR))
