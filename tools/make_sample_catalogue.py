#!/usr/bin/env python3
"""Writes the sample catalogue that the stand-in server serves.

    python3 tools/make_sample_catalogue.py FOLDER

FOLDER receives components.xml, accounts.txt, version.xml and
plugrepo/components/MAC/<component name>.zip, one archive per Mac component, each holding the
component's bundle at its top level under exactly the component's name.
Standard library only; the archives are byte-for-byte the same on every run.
"""

import os
import plistlib
import shutil
import sys
import xml.etree.ElementTree as ET
import zipfile

ZIP_TIME = (2024, 1, 1, 0, 0, 0)

# Bundle name extension per format.
BUNDLE_EXTENSIONS = {"VST": ".vst", "VST64": ".vst", "AU": ".component", "RTAS": ".dpm"}

# id, title, latest version, display order, components as (name, format, platform, action).
PRODUCTS = [
    (101, "Quorvelan Echo", "1.2", 2, [
        ("Quorvelan Echo.vst", "VST", "MAC", None),
        ("Quorvelan Echo.component", "AU", "MAC", None),
        ("Quorvelan Echo.dpm", "RTAS", "MAC", None),
        ("Quorvelan Echo Legacy.vst", "VST", "MAC", "REMOVE"),
        ("Quorvelan Echo.dll", "VST", "WIN", None),
    ]),
    (102, "My Plug", "2.05", 1, [
        ("My Plug.vst", "VST", "MAC", None),
        ("My Plug.component", "AU", "MAC", None),
        ("My Plug x64.vst", "VST64", "MAC", None),
    ]),
    (103, "Quorvelan Chorus", "1.0", 4, [
        ("Quorvelan Chorus.vst", "VST", "MAC", None),
        ("Quorvelan Chorus.component", "AU", "MAC", None),
    ]),
    (104, "Quorvelan Verb", "3.1", 3, [
        ("Quorvelan Verb.vst", "VST", "MAC", None),
        ("Quorvelan Verb.component", "AU", "MAC", None),
        ("Quorvelan Verb.dpm", "RTAS", "MAC", None),
        ("Quorvelan Verb x64.vst", "VST64", "MAC", None),
    ]),
    (105, "Quorvelan Tape", "0.9", 5, [
        ("Quorvelan Tape.component", "AU", "MAC", None),
    ]),
    (106, "Quorvelan Studio Bundle", "1.0", 6, []),
]

ACCOUNTS = [
    ("demo@quorvelan.com", "demo1234", "1001", "Demo Customer", "Quorvelan Demo"),
]

VERSION = ("3.22", "3.0", "updates/MAC/Quorvelan Plugin Manager.app.zip")


def info_plist(bundle_name, title, fmt, version):
    executable = os.path.splitext(bundle_name)[0]
    slug = executable.lower().replace(" ", "")
    return plistlib.dumps({
        "CFBundleDevelopmentRegion": "English",
        "CFBundleExecutable": executable,
        "CFBundleIdentifier": "com.quorvelan." + slug + "." + fmt.lower(),
        "CFBundleInfoDictionaryVersion": "6.0",
        "CFBundleName": title,
        "CFBundlePackageType": "BNDL",
        "CFBundleShortVersionString": version,
        "CFBundleSignature": "Qrvl",
        "CFBundleVersion": version,
    })


def add_folder(archive, name):
    info = zipfile.ZipInfo(name + "/", ZIP_TIME)
    info.external_attr = (0o40755 << 16) | 0x10
    archive.writestr(info, b"")


def add_file(archive, name, data, mode):
    info = zipfile.ZipInfo(name, ZIP_TIME)
    info.external_attr = mode << 16
    info.compress_type = zipfile.ZIP_DEFLATED
    archive.writestr(info, data)


def write_component_archive(path, bundle_name, title, fmt, version):
    executable = os.path.splitext(bundle_name)[0]
    binary = b"\xcf\xfa\xed\xfe" + ("stand-in binary of " + bundle_name + "\n").encode("utf-8")

    with zipfile.ZipFile(path, "w") as archive:
        add_folder(archive, bundle_name)
        add_folder(archive, bundle_name + "/Contents")
        add_file(archive, bundle_name + "/Contents/Info.plist",
                 info_plist(bundle_name, title, fmt, version), 0o644)
        add_folder(archive, bundle_name + "/Contents/MacOS")
        add_file(archive, bundle_name + "/Contents/MacOS/" + executable, binary, 0o755)


def write_components_xml(path):
    root = ET.Element("quordata", response="OK")

    for product_id, title, version, order, components in PRODUCTS:
        product = ET.SubElement(root, "product", id=str(product_id))
        ET.SubElement(product, "product_title").text = title
        ET.SubElement(product, "latest_version").text = version
        ET.SubElement(product, "display_order").text = str(order)

        for name, fmt, platform, action in components:
            attributes = {"platform": platform, "format": fmt}
            if action:
                attributes["action"] = action
            ET.SubElement(product, "component", attributes).text = name

    ET.indent(root)
    ET.ElementTree(root).write(path, encoding="UTF-8", xml_declaration=True)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)

    folder = sys.argv[1]
    archives = os.path.join(folder, "plugrepo", "components", "MAC")

    # Only the archive folder is emptied, so no archive of an earlier sample lingers.
    shutil.rmtree(archives, ignore_errors=True)
    os.makedirs(archives)

    for _, title, version, _, components in PRODUCTS:
        for name, fmt, platform, action in components:
            # Obsolete components are only removed, and other platforms are not served here.
            if platform != "MAC" or action == "REMOVE":
                continue
            assert name.endswith(BUNDLE_EXTENSIONS[fmt]), name
            write_component_archive(os.path.join(archives, name + ".zip"), name, title, fmt, version)

    with open(os.path.join(folder, "accounts.txt"), "w", encoding="utf-8") as accounts:
        accounts.write("# e-mail, password, user id, name, company; separated by tabs\n")
        for account in ACCOUNTS:
            accounts.write("\t".join(account) + "\n")

    version, minvers, macpath = VERSION
    root = ET.Element("quordata", response="OK")
    ET.SubElement(root, "authapp", version=version, minvers=minvers, macpath=macpath)
    ET.ElementTree(root).write(os.path.join(folder, "version.xml"), encoding="UTF-8", xml_declaration=True)

    # Last, as the build checks its date.
    write_components_xml(os.path.join(folder, "components.xml"))


if __name__ == "__main__":
    main()
