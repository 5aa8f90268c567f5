#!/usr/bin/env python3
"""Zips FOLDER (inside PARENT) into ARCHIVE, the same bytes from the same
files wherever and whenever it runs: entries in name order, every time stamp
SOURCE_DATE_EPOCH (in UTC), files 0644 and folders 0755, no extra fields.

zip_folder.py PARENT FOLDER ARCHIVE"""
import os, sys, time, zipfile

parent, folder, archive = sys.argv[1:4]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]  # zip starts at 1980
paths = []
for directory, folders, files in os.walk(os.path.join(parent, folder)):
    relative = os.path.relpath(directory, parent)
    paths.append(relative + "/")
    paths += [os.path.join(relative, name) for name in files]
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as zipped:
    for path in sorted(paths):
        entry = zipfile.ZipInfo(path, stamp)
        entry.create_system = 3  # Unix, so that the modes below count
        if path.endswith("/"):
            entry.external_attr = (0o40755 << 16) | 0x10
            zipped.writestr(entry, b"")
        else:
            entry.external_attr = 0o100644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(parent, path), "rb") as source:
                zipped.writestr(entry, source.read(), compresslevel=9)
