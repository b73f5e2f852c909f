#!/usr/bin/python3
"""The dictionary window as a screen reader sees it, over AT-SPI.

Starts a private X server and session bus, the program on the sample dictionary with Qt's
AT-SPI bridge, and reads the program's accessibility tree from the AT-SPI registry: the main
window's controls must be there with their roles, names and key bindings, and pressing
"Siguiente" and "Visualizar Lista" through AT-SPI must move to the next entry and show
the list.

    /usr/bin/python3 atspi_check.py DREAMBOOK DREAMBOOK_DB

Every run has its own X display, session bus and runtime directory (where the AT-SPI bus
puts its socket), so that runs side by side do not meet.

Nothing waits a fixed time: every step polls until what it waits for is there, or gives up
after a timeout. Prints "N passed, N failed" last; the exit code is 0 when all passed.
"""

import os
import select
import subprocess
import sys
import tempfile
import time

TIMEOUT = 60  # seconds for each step, for slow, busy machines
POLL = 0.1

# The main window's controls: role, name, key binding ("" for none).
EXPECTED = [
    ("push button", "Primero", "Alt+Home"),
    ("push button", "Anterior", "Alt+PgUp"),
    ("push button", "Siguiente", "Alt+PgDown"),
    ("push button", "Añadir", "Ctrl+N"),
    ("push button", "Grabar", "Ctrl+S"),
    ("push button", "Cancelar", "Ctrl+D"),
    ("push button", "Borrar", "Alt+Del"),
    ("push button", "Actualizar", "F5"),
    ("push button", "Visualizar Lista", "Ctrl+L"),
    ("push button", "Buscar registros", "Ctrl+B"),
    ("push button", "Imprimir", "Ctrl+P"),
    ("push button", "Prólogo", "F2"),
    ("push button", "Acerca de...", "F12"),
    ("push button", "Ayuda sobre la Base de Datos", "F1"),
    ("push button", "Salir", "Ctrl+Q"),
    ("text", "Nombre de la Imagen Onírica:", ""),
    ("text", "Significado Onírico:", ""),
    ("text", "Número(s) de la Suerte para Juegos de Azar y Apuestas:", ""),
    ("panel", "Imagen Onírica", ""),
    ("tool bar", "", ""),
    ("status bar", "", ""),
    ("list", "Imagen Onírica", ""),
]

TITLE = "NOCTAMBULA v2.0 (Noches de Fortuna)"


def wait_for(what, probe):
    """Polls probe() until it returns something true; fails after TIMEOUT."""
    deadline = time.monotonic() + TIMEOUT
    while True:
        try:
            found = probe()
        except Exception:  # the tree changes under us while the program starts
            found = None
        if found:
            return found
        if time.monotonic() > deadline:
            raise TimeoutError("timed out waiting for " + what)
        time.sleep(POLL)


def start_reporting(command, env=None):
    """Starts a server that writes a line (its display or address) on a pipe once it is
    ready, and returns it with that line. The pipe stays open while the server runs: closing
    it early could make a late write fail and the server quit."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen([part.replace("FD", str(write_end)) for part in command],
                              pass_fds=(write_end,), env=env)
    os.close(write_end)
    line = b""
    deadline = time.monotonic() + TIMEOUT
    while not line.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
        chunk = os.read(read_end, 256) if ready else b""
        if not chunk:
            server.kill()
            raise RuntimeError(command[0] + " did not start")
        line += chunk
    return server, read_end, line.decode().strip()


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def key_binding(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return ""
    return action.getKeyBinding(0) if action.nActions else ""


def program(pid):
    import pyatspi
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def main_window(app):
    for window in app:
        if window is not None and window.name == TITLE and window.getRoleName() != "dialog":
            return window
    return None


def find(window, role, name):
    for node in walk(window):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


def check(window, app):
    """Counts what is as expected and what is not; returns (passed, failed)."""
    import pyatspi
    passed, failed = 0, 0
    # Without a window manager the intro may or may not come up: let it go if it did.
    intro = find(app, "push button", "Inicio")
    if intro is not None and intro.getState().contains(pyatspi.STATE_SHOWING):
        intro.queryAction().doAction(0)
    for role, name, key in EXPECTED:
        node = wait_for(f"{role} {name!r}", lambda: find(window, role, name))
        got = key_binding(node)
        if key and got != key:
            print(f"FAIL {role} {name!r}: key binding {got!r}, expected {key!r}")
            failed += 1
        else:
            print(f"PASS {role} {name!r} {key}")
            passed += 1
    # Pressed through AT-SPI, "Siguiente" moves to the next entry, and the picture says
    # whose it is.
    picture = wait_for("the picture", lambda: next(
        (n for n in walk(window) if n.getRoleName() == "image"), None))
    before = picture.name
    find(window, "push button", "Siguiente").queryAction().doAction(0)
    after = wait_for("the next entry", lambda: picture.name != before and picture.name)
    print(f"PASS Siguiente: {before!r} -> {after!r}")
    # "Visualizar Lista" opens the list, which a screen reader then finds on screen.
    find(window, "push button", "Visualizar Lista").queryAction().doAction(0)
    showing = pyatspi.STATE_SHOWING
    wait_for("the list shown", lambda: find(window, "list", "Imagen Onírica").getState().contains(
        showing))
    print("PASS Visualizar Lista: the list is shown")
    return passed + 2, failed


def main():
    dreambook, dreambook_db = sys.argv[1], sys.argv[2]
    passed, failed = 0, 0
    servers = []
    with tempfile.TemporaryDirectory() as directory:
        database = os.path.join(directory, "db")
        runtime = os.path.join(directory, "runtime")
        os.mkdir(runtime, 0o700)
        subprocess.run([dreambook_db, "create", database, "--sample"], check=True,
                       stdout=subprocess.DEVNULL)
        child = None
        try:
            x, x_pipe, number = start_reporting(
                ["Xvfb", "-displayfd", "FD", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"])
            servers.append((x, x_pipe))
            os.environ.update(DISPLAY=":" + number, XDG_RUNTIME_DIR=runtime)
            bus, bus_pipe, address = start_reporting(
                ["dbus-daemon", "--session", "--nofork", "--print-address=FD"], os.environ)
            servers.append((bus, bus_pipe))
            os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
            env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                       LC_ALL="C.UTF-8")
            # Under AddressSanitizer: the X keyboard library that Qt's X platform loads calls
            # strndup on key names that are not NUL-terminated, which strict string checks
            # report as an overflow; the program's own code keeps every other check.
            if "ASAN_OPTIONS" in env:
                options = [o for o in env["ASAN_OPTIONS"].split(":")
                           if o and not o.startswith("strict_string_checks")]
                env["ASAN_OPTIONS"] = ":".join(options + ["strict_string_checks=0"])
            child = subprocess.Popen([dreambook, "--database-dir", database], env=env)
            app = wait_for("the program on the AT-SPI bus", lambda: program(child.pid))
            window = wait_for("the main window", lambda: main_window(app))
            passed, failed = check(window, app)
        except (TimeoutError, RuntimeError) as error:
            print(f"FAIL {error}")
            failed += 1
        finally:
            if child is not None:
                child.terminate()
                child.wait(TIMEOUT)
            for server, pipe in reversed(servers):
                server.terminate()
                server.wait(TIMEOUT)
                os.close(pipe)
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
