#!/usr/bin/python3
"""A stand-in desktop notification server for the end-to-end tests.

Owns org.freedesktop.Notifications on the bus given by
DBUS_SESSION_BUS_ADDRESS and appends every Notify call to RECORD as one JSON
line ({"app_name", "summary", "body", "hints"}). Once the name is owned it
creates READY, so the caller can wait for it instead of sleeping.

usage: notification_server.py RECORD READY
"""

import json
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

INTERFACE = "org.freedesktop.Notifications"
PATH = "/org/freedesktop/Notifications"


class Notifications(dbus.service.Object):
    def __init__(self, bus, record):
        super().__init__(bus, PATH)
        self._record = record
        self._next_id = 1

    @dbus.service.method(INTERFACE, in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, app_icon, summary, body, actions, hints, timeout):
        entry = {
            "app_name": str(app_name),
            "summary": str(summary),
            "body": str(body),
            "hints": {str(key): str(value) for key, value in hints.items()},
        }
        with open(self._record, "a", encoding="utf-8") as out:
            out.write(json.dumps(entry, ensure_ascii=False) + "\n")
        answer = self._next_id
        self._next_id += 1
        return dbus.UInt32(answer)

    @dbus.service.method(INTERFACE, in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return ("inkwarden-e2e", "Inkwarden tests", "1", "1.2")

    @dbus.service.method(INTERFACE, in_signature="", out_signature="as")
    def GetCapabilities(self):
        return ["body", "actions"]

    @dbus.service.method(INTERFACE, in_signature="u", out_signature="")
    def CloseNotification(self, notification_id):
        self.NotificationClosed(notification_id, 3)

    @dbus.service.signal(INTERFACE, signature="uu")
    def NotificationClosed(self, notification_id, reason):
        pass


def main():
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    record, ready = sys.argv[1], sys.argv[2]
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    # Kept referenced for the life of the loop.
    name = dbus.service.BusName(INTERFACE, bus, do_not_queue=True)
    server = Notifications(bus, record)
    open(ready, "w").close()
    GLib.MainLoop().run()
    del name, server
    return 0


if __name__ == "__main__":
    sys.exit(main())
