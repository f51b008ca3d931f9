#!/usr/bin/python3
"""A stand-in for the desktop's GlobalShortcuts portal on the session bus.

Answers CreateSession and BindShortcuts the way the portal does (a request
object whose Response signal carries the result), writes the bound shortcut
ids to the file named first on the command line, then presses the shortcut
named second by sending Activated, as a desktop does when its key is pressed.
"""
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PORTAL = "org.freedesktop.portal.GlobalShortcuts"
PATH = "/org/freedesktop/portal/desktop"


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    def __init__(self, bus, bound_file, press):
        super().__init__(bus, PATH)
        self.bus, self.bound_file, self.press = bus, bound_file, press
        self.session = None

    def _request(self, sender, token):
        path = "%s/request/%s/%s" % (PATH, sender[1:].replace(".", "_"), token)
        return Request(self.bus, path), path

    @dbus.service.method("org.freedesktop.DBus.Properties", in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        if interface == PORTAL and name == "version":
            return dbus.UInt32(1)
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.InvalidArgs")

    @dbus.service.method(PORTAL, in_signature="a{sv}", out_signature="o", sender_keyword="sender")
    def CreateSession(self, options, sender=None):
        request, path = self._request(sender, options["handle_token"])
        self.session = "%s/session/%s/%s" % (PATH, sender[1:].replace(".", "_"),
                                             options["session_handle_token"])
        GLib.idle_add(lambda: request.Response(0, {"session_handle": self.session}) and False)
        return path

    @dbus.service.method(PORTAL, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent, options, sender=None):
        request, path = self._request(sender, options["handle_token"])
        with open(self.bound_file, "w") as out:
            for ident, props in shortcuts:
                out.write("%s %s\n" % (ident, props.get("preferred_trigger", "")))

        def answer():
            request.Response(0, {"shortcuts": shortcuts})
            GLib.timeout_add(300, lambda: self.Activated(session, self.press, 0, {}) and False)
            return False
        GLib.idle_add(answer)
        return path

    @dbus.service.signal(PORTAL, signature="osta{sv}")
    def Activated(self, session, shortcut, timestamp, options):
        pass


def main():
    DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus)
    Portal(bus, sys.argv[1], sys.argv[2])
    print("ready", flush=True)
    GLib.MainLoop().run()
    del name


if __name__ == "__main__":
    main()
