#!/usr/bin/env python3
"""The program end to end: its window, the tray, a second start and game
events, with the virtual keyboard plugged into the emulator process.

Run inside scripts/e2e-session with HALVORN_DEVICE_BIN and HALVORN_VDEV_BIN
set; the argument names the case.
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_support as e2e  # noqa: E402
from e2e_support import Failure, wait_until  # noqa: E402

kStartTimeout = 15  # a Debug build on a loaded two-core machine
kDeviceTimeout = 5


def tray_icon(program):
    return wait_until("the tray icon inside trayer", lambda: e2e.tray_icon(program.pid),
                      kStartTimeout)


def click_tray(program):
    e2e.click(tray_icon(program), 4, 4, 1)


def hide_to_tray(program):
    """A left click on the tray icon hides a shown window."""
    click_tray(program)
    program.wait_hidden(kDeviceTimeout)


def start_without_device(emulator, start):
    blocker = e2e.Blocker()
    try:
        program = start()
        program.wait_shown(kStartTimeout)
        # The end of the first scan brings the window in front of others.
        wait_until("the window on top",
                   lambda: e2e.above(program.shown_window(), blocker.window), kDeviceTimeout)
        _, _, width, height = e2e.geometry(program.shown_window())
        if (width, height) != (800, 572):
            raise Failure(f"window is {width}x{height}, not 800x572")
        e2e.Pictures(program)  # no entry, and the notice
        if not program.running():
            raise Failure("the program ended")
    finally:
        blocker.stop()


def plug_shows_entry_and_raises(emulator, start):
    program = start()
    program.wait_shown(kStartTimeout)
    pictures = e2e.Pictures(program)
    e2e.click(program.shown_window(), *e2e.kCloseButton)
    program.wait_hidden(kDeviceTimeout)
    blocker = e2e.Blocker()
    try:
        name = emulator.plug_keyboard()
        program.wait_shown(kDeviceTimeout)
        wait_until("the window above the other one",
                   lambda: e2e.above(program.shown_window(), blocker.window), kDeviceTimeout)
        pictures.wait_entry(True)
        emulator.unplug(name)
        pictures.wait_entry(False)
    finally:
        blocker.stop()


def unplug_leaves_hidden_window_hidden(emulator, start):
    program = start()
    program.wait_shown(kStartTimeout)
    pictures = e2e.Pictures(program)
    name = emulator.plug_keyboard()
    pictures.wait_entry(True)
    hide_to_tray(program)
    emulator.unplug(name)
    if not e2e.holds_for(lambda: program.shown_window() is None, 2.0):
        raise Failure("a removal showed the hidden window")
    # The tray icon shows it again, without the entry.
    click_tray(program)
    program.wait_shown(kDeviceTimeout)
    pictures.wait_entry(False)


def second_start_exits(emulator, start):
    first = start()
    first.wait_shown(kStartTimeout)
    hide_to_tray(first)
    second = start()
    code = second.exit_code(kStartTimeout)
    if code is None:
        raise Failure("the second start is still running")
    if code != 0:
        raise Failure(f"the second start exited {code}")
    if not first.running():
        raise Failure("the first instance ended")
    # The second start asks the first one to show itself.
    first.wait_shown(kDeviceTimeout)
    shown = e2e.run("xdotool", "search", "--onlyvisible", "--name",
                    f"^{e2e.WINDOW_TITLE}$", check=False).stdout.split()
    if len(shown) != 1:
        raise Failure(f"{len(shown)} main windows are shown")


def tray_menu_exit(emulator, start):
    program = start()
    program.wait_shown(kStartTimeout)
    icon = tray_icon(program)
    before = e2e.visible_windows(program.pid)
    e2e.click(icon, 4, 4, 3)
    menu = wait_until("the tray menu", lambda: e2e.new_windows(program.pid, before),
                      kDeviceTimeout)[0]
    _, _, width, height = e2e.geometry(menu)
    # "exit" is the menu's last item.
    e2e.click(menu, width // 2, height - 10, 1)
    clicked = time.monotonic()
    code = program.exit_code(5)
    if code is None:
        raise Failure("the program did not end after exit")
    took = time.monotonic() - clicked
    if took > 2.0:
        raise Failure(f"the program took {took:.1f} s to end after exit")
    if code != 0:
        raise Failure(f"the program exited {code}")


def game_event_lights_for_a_while(emulator, start):
    program = start()
    program.wait_shown(kStartTimeout)
    pictures = e2e.Pictures(program)
    name = emulator.plug_keyboard()
    pictures.wait_entry(True)
    kEffect = 1  # the effect byte of profile 0 in the settings memory
    saved = emulator.settings(name)[kEffect]
    effect = 3 if saved != 3 else 4
    result = subprocess.run(
        ["gdbus", "call", "--session", "--dest", "org.halvorn.Device",
         "--object-path", "/org/halvorn/Device", "--method",
         "org.halvorn.Device1.Game_Start", "0", str(effect)],
        capture_output=True, text=True, timeout=10)
    if result.returncode != 0:
        raise Failure(f"Game_Start failed: {result.stderr.strip()}")
    sent = time.monotonic()
    wait_until("the game effect in the keyboard",
               lambda: emulator.settings(name)[kEffect] != saved, 3.0, interval=0.1)
    shown = emulator.settings(name)[kEffect]
    if not e2e.holds_for(lambda: emulator.settings(name)[kEffect] == shown,
                         3.5 - (time.monotonic() - sent)):
        raise Failure("the game effect did not last")
    wait_until("the saved effect back", lambda: emulator.settings(name)[kEffect] == saved,
               8.0 - (time.monotonic() - sent), interval=0.1)
    back = time.monotonic() - sent
    if back < 4.0:
        raise Failure(f"the saved effect came back after {back:.1f} s")


e2e.main({
    "start_without_device": start_without_device,
    "plug_shows_entry_and_raises": plug_shows_entry_and_raises,
    "unplug_leaves_hidden_window_hidden": unplug_leaves_hidden_window_hidden,
    "second_start_exits": second_start_exits,
    "tray_menu_exit": tray_menu_exit,
    "game_event_lights_for_a_while": game_event_lights_for_a_while,
})
