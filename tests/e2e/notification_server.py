#!/usr/bin/python3
# A stand-in desktop notification server for the end-to-end test: owns
# org.freedesktop.Notifications on DBUS_SESSION_BUS_ADDRESS, appends
# "summary<TAB>body" of every Notify call to RECORD, and creates READY once
# the name is owned, so the caller waits for a file instead of sleeping.
#
# usage: notification_server.py RECORD READY

import sys

import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib


class Notifications(dbus.service.Object):
    @dbus.service.method("org.freedesktop.Notifications", in_signature="susssasa{sv}i", out_signature="u")
    def Notify(self, app_name, replaces_id, icon, summary, body, actions, hints, timeout):
        open(sys.argv[1], "a", encoding="utf-8").write(f"{summary}\t{body}\n")
        return 1

    @dbus.service.method("org.freedesktop.Notifications", in_signature="", out_signature="ssss")
    def GetServerInformation(self):
        return "inkwarden-e2e", "Inkwarden tests", "1", "1.2"


DBusGMainLoop(set_as_default=True)
name = dbus.service.BusName("org.freedesktop.Notifications", dbus.SessionBus(), do_not_queue=True)
server = Notifications(name, "/org/freedesktop/Notifications")
open(sys.argv[2], "w").close()
GLib.MainLoop().run()
