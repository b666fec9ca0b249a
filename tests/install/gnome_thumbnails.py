"""Makes thumbnails with GNOME's own thumbnail factory, which runs the installed thumbnailer in
its sandbox, and names every file that did not come back as a picture."""
import sys

import gi

gi.require_version("GnomeDesktop", "3.0")
from gi.repository import Gio, GnomeDesktop  # noqa: E402

factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.NORMAL)
missing = 0
for path in sys.argv[1:]:
    file = Gio.File.new_for_path(path)
    mime = file.query_info("standard::content-type", Gio.FileQueryInfoFlags.NONE, None)
    mime = mime.get_content_type()
    try:
        picture = factory.generate_thumbnail(file.get_uri(), mime, None)
    except gi.repository.GLib.Error as error:
        picture = None
        print(f"{path} ({mime}): {error.message}")
    if picture is None or picture.get_width() < 1 or picture.get_height() < 1:
        print(f"no thumbnail from GNOME's factory: {path} ({mime})")
        missing += 1
print(f"{len(sys.argv) - 1 - missing} of {len(sys.argv) - 1} thumbnails from GNOME's factory")
sys.exit(1 if missing else 0)
