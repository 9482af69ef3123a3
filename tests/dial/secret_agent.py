#!/usr/bin/python3
"""A stand-in for the desktop's secret agent (GNOME Shell, plasma-nm,
nm-applet): registers on the system bus for the user it runs as, and answers
NetworkManager's requests for a PPPoE password with the text of PASSWORD_FILE,
read at each request. A request for new secrets, which NetworkManager makes
after the server refused the last one, is cancelled, as a person would close
the desktop's password window. Each request is written to standard output.

    secret_agent.py PASSWORD_FILE
"""
import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.NetworkManager.SecretAgent">
    <method name="GetSecrets">
      <arg name="connection" type="a{sa{sv}}" direction="in"/>
      <arg name="connection_path" type="o" direction="in"/>
      <arg name="setting_name" type="s" direction="in"/>
      <arg name="hints" type="as" direction="in"/>
      <arg name="flags" type="u" direction="in"/>
      <arg name="secrets" type="a{sa{sv}}" direction="out"/>
    </method>
    <method name="CancelGetSecrets">
      <arg name="connection_path" type="o" direction="in"/>
      <arg name="setting_name" type="s" direction="in"/>
    </method>
    <method name="SaveSecrets">
      <arg name="connection" type="a{sa{sv}}" direction="in"/>
      <arg name="connection_path" type="o" direction="in"/>
    </method>
    <method name="DeleteSecrets">
      <arg name="connection" type="a{sa{sv}}" direction="in"/>
      <arg name="connection_path" type="o" direction="in"/>
    </method>
  </interface>
</node>
"""
REQUEST_NEW = 0x2


def main():
    password_file = sys.argv[1]
    bus = Gio.bus_get_sync(Gio.BusType.SYSTEM, None)

    def on_call(_conn, _sender, _path, _iface, method, params, invocation):
        if method != "GetSecrets":
            invocation.return_value(None)
            return
        _connection, path, setting, _hints, flags = params.unpack()
        print(f"secret request: {path} {setting} flags={flags}", flush=True)
        if setting != "pppoe" or flags & REQUEST_NEW:
            invocation.return_dbus_error(
                "org.freedesktop.NetworkManager.SecretAgent.UserCanceled", "cancelled")
            return
        with open(password_file, encoding="utf-8") as f:
            password = f.read().strip()
        invocation.return_value(GLib.Variant(
            "(a{sa{sv}})", ({"pppoe": {"password": GLib.Variant("s", password)}},)))

    node = Gio.DBusNodeInfo.new_for_xml(INTERFACE)
    bus.register_object("/org/freedesktop/NetworkManager/SecretAgent", node.interfaces[0],
                        on_call, None, None)
    bus.call_sync("org.freedesktop.NetworkManager", "/org/freedesktop/NetworkManager/AgentManager",
                  "org.freedesktop.NetworkManager.AgentManager", "Register",
                  GLib.Variant("(s)", ("verolink.dial-test.agent",)), None,
                  Gio.DBusCallFlags.NONE, 10000, None)
    print("secret agent registered", flush=True)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
