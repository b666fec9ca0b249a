"""Looks up every file's thumbnail with GNOME's own thumbnail factory, which runs no thumbnailer
for a lookup: a file that tavrin cache made a thumbnail for must be found, valid for the file's
URI and modification time, and readable as a picture no larger than the size asked for."""
import os
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, Gio, GnomeDesktop  # noqa: E402

SIZES = {"normal": (GnomeDesktop.DesktopThumbnailSize.NORMAL, 128),
         "large": (GnomeDesktop.DesktopThumbnailSize.LARGE, 256)}
cache = os.path.join(os.environ["XDG_CACHE_HOME"], "thumbnails")
found = missing = 0
for size, (flag, pixels) in SIZES.items():
    factory = GnomeDesktop.DesktopThumbnailFactory.new(flag)
    for path in sys.argv[1:]:
        uri = Gio.File.new_for_path(path).get_uri()
        mtime = int(os.stat(path).st_mtime)
        # What tavrin cache wrote for the file, found by GLib's own checksum of its URI.
        name = GnomeDesktop.desktop_thumbnail_path_for_uri(uri, flag)
        if not os.path.exists(name):
            continue
        thumbnail = factory.lookup(uri, mtime)
        if thumbnail is None:
            print(f"{size}: GNOME's factory finds no valid thumbnail of {path}")
            missing += 1
            continue
        picture = GdkPixbuf.Pixbuf.new_from_file(thumbnail)
        if not 0 < max(picture.get_width(), picture.get_height()) <= pixels:
            print(f"{size}: {path}: {picture.get_width()} x {picture.get_height()}")
            missing += 1
            continue
        found += 1
print(f"GNOME's factory found {found} thumbnails, {missing} not")
sys.exit(1 if missing or not found else 0)
