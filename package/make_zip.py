"""Packs a folder into a zip that depends only on the files' names and bytes.

    make_zip.py FOLDER ZIP

Entries are sorted, every entry gets the time SOURCE_DATE_EPOCH gives (the
last commit's) and the same permissions, and nothing of the machine is stored,
so two builds of the same sources give the same zip. The archive's top folder
is FOLDER's name.
"""
import os
import sys
import time
import zipfile

# The earliest time a zip entry can hold.
ZIP_EPOCH = (1980, 1, 1, 0, 0, 0)


def entry_time():
    stamp = int(os.environ["SOURCE_DATE_EPOCH"])
    return max(ZIP_EPOCH, time.gmtime(stamp)[:6])


def entry(name, date_time, mode):
    info = zipfile.ZipInfo(name, date_time)
    info.create_system = 3  # Unix, so that the permissions below are read
    info.external_attr = mode << 16
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main(folder, zip_path):
    folder = os.path.normpath(folder)
    top = os.path.basename(folder)
    date_time = entry_time()
    files = []
    for parent, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(parent, name)
            files.append(os.path.relpath(path, folder).replace(os.sep, "/"))
    partial = zip_path + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name in sorted(files):
            with open(os.path.join(folder, name), "rb") as source:
                data = source.read()
            archive.writestr(entry(f"{top}/{name}", date_time, 0o100644), data, compresslevel=9)
    os.replace(partial, zip_path)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: make_zip.py FOLDER ZIP")
    main(sys.argv[1], sys.argv[2])
