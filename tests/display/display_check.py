# The windows on a small laptop screen, on a screen where a user's scale factor must be
# reduced, and on a HiDPI one, as a user starts the program: a private X server (Xvfb)
# with a window manager (openbox), the program started with nothing but DISPLAY (and the
# user's QT_SCALE_FACTOR) set, clicked with xdotool at the places the user sees, and read
# back from the X server (xprop, xwininfo) and from screenshots (ImageMagick's import).
#   small: 1366 x 768 with 40 px kept for a task bar. The brand screen and the catalogue
#          window, frames included, lie within the available area, drawn smaller as a
#          whole at one factor, and a click on a make row's scaled place selects that
#          row (it turns the selection's red).
#   fit:   QT_SCALE_FACTOR=2 on 1920 x 1080 with a task bar. The brand screen and the
#          catalogue window, frames included, lie within the available area at one
#          factor, and a click on a make row's scaled place selects that row.
#   hidpi: QT_SCALE_FACTOR=2 on a 2400 x 1700 screen. Where the catalogue skin, the
#          buttons and the make list's markers have detail, their 2x2 blocks of screen
#          pixels are not one colour (a doubled picture's all are): the pictures are
#          drawn at the screen's resolution.
# Usage: display_check.py PROGRAM [--screenshot FILE] (FILE: the small screen, as PNG).
# Exits 0 when every check holds, 1 with each failure printed, 77 (skipped) naming a
# missing tool; under CI a missing tool is a failure.
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

TIMEOUT_S = 120  # a first start copies the catalogue; a sanitizer build is slow
BRAND_TITLE = "DazozIzizavuv Korva"
CATALOGUE_TITLE = "Dazozizizavuv Korva"
BRAND_CLIENT = (1022, 767)
CATALOGUE_CLIENT = (1023, 769)
KORVA_AREA = (134, 126, 209, 91)  # the brand screen's click area, window pixels
MAKE_GRID = (15, 128, 166, 553)  # gridMarca in the catalogue window
ROW_HEIGHT = 20  # the make list's rows
TOOLS = {
    "Xvfb": "xvfb",
    "openbox": "openbox",
    "xdotool": "xdotool",
    "xprop": "x11-utils",
    "xwininfo": "x11-utils",
    "import": "imagemagick",
    "convert": "imagemagick",
}

failures = []


def check(condition, text):
    print(("ok    " if condition else "FAIL  ") + text)
    if not condition:
        failures.append(text)


def run(*args, env=None):
    return subprocess.run(args, check=True, capture_output=True, text=True, env=env).stdout


def wait_for(what, probe):
    deadline = time.monotonic() + TIMEOUT_S
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.1)
    raise SystemExit("timed out waiting for " + what)


class Screen:
    """One X server with openbox, and the program started on it."""

    def __init__(self, scratch, size, bottom_margin, env_extra):
        self.processes = []
        read_end, write_end = os.pipe()
        self.processes.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % size, "-nolisten", "tcp"],
            pass_fds=[write_end], stderr=subprocess.DEVNULL))
        os.close(write_end)
        with os.fdopen(read_end) as display:
            number = display.readline().strip()
        if not number:
            raise SystemExit("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number)
        for name in ("QT_QPA_PLATFORM", "QT_SCALE_FACTOR", "WAYLAND_DISPLAY"):
            self.env.pop(name, None)
        # The margin stands for a task bar: openbox keeps it out of the available area.
        rc = os.path.join(scratch, "rc-%s.xml" % number)
        with open(rc, "w") as f:
            f.write('<?xml version="1.0"?><openbox_config xmlns="http://openbox.org/3.4/rc">'
                    "<margins><top>0</top><bottom>%d</bottom><left>0</left><right>0</right></margins>"
                    "</openbox_config>" % bottom_margin)
        self.processes.append(subprocess.Popen(["openbox", "--config-file", rc], env=self.env,
                                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_for("openbox", lambda: "_NET_WORKAREA(CARDINAL)" in self.xprop("-root", "_NET_WORKAREA"))
        self.program_env = dict(self.env, **env_extra)

    def start(self, program, log):
        self.processes.append(subprocess.Popen([program], env=self.program_env, stdout=log, stderr=log))

    def stop(self):
        for p in reversed(self.processes):
            p.terminate()
        for p in self.processes:
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()

    def xprop(self, *args):
        try:
            return run("xprop", *args, env=self.env)
        except subprocess.CalledProcessError:
            return ""

    def work_area(self):
        values = [int(v) for v in re.findall(r"\d+", self.xprop("-root", "_NET_WORKAREA").split("=", 1)[1])]
        return tuple(values[:4])

    def window(self, title):
        """The visible top-level window whose title is `title` (the catalogue window's
        also carries the program's name after a dash), once mapped."""
        try:
            ids = run("xdotool", "search", "--onlyvisible", "--name", "Korva", env=self.env).split()
        except subprocess.CalledProcessError:
            return None
        for wid in ids:
            found = re.search(r'= "(.*)"', self.xprop("-id", wid, "_NET_WM_NAME"))
            # xdotool matches without regard to case; the two titles differ in one letter's.
            if found and (found.group(1) == title or found.group(1).startswith(title + " ")):
                return wid
        return None

    def client(self, wid):
        """x, y, width, height of a window's client area on the screen."""
        info = run("xwininfo", "-id", wid, env=self.env)
        field = lambda name: int(re.search(name + r":\s+(-?\d+)", info).group(1))
        return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"), field("Height"))

    def frame(self, wid):
        """The window with the frame the window manager drew round it; None before it has one."""
        extents = self.xprop("-id", wid, "_NET_FRAME_EXTENTS")
        if "=" not in extents:
            return None
        left, right, top, bottom = (int(v) for v in re.findall(r"\d+", extents.split("=", 1)[1]))
        x, y, w, h = self.client(wid)
        return (x - left, y - top, w + left + right, h + top + bottom)

    def click(self, x, y):
        run("xdotool", "mousemove", "--sync", str(x), str(y), "click", "1", env=self.env)

    def screenshot(self, path):
        run("import", "-window", "root", path, env=self.env)

    def pixels(self, path, box):
        """The RGB pixels of `box` (x, y, w, h) of a screenshot, row by row."""
        x, y, w, h = box
        raw = subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", "-depth", "8",
                              "rgb:-"], check=True, capture_output=True).stdout
        return [[tuple(raw[(r * w + c) * 3:(r * w + c) * 3 + 3]) for c in range(w)] for r in range(h)]


def inside(box, area):
    return (box[0] >= area[0] and box[1] >= area[1] and box[0] + box[2] <= area[0] + area[2]
            and box[1] + box[3] <= area[1] + area[3])


def settled_frame(screen, wid):
    """The frame once the window manager has placed the window and the program has had
    its chance to move it within the area (it does so when the real frame is known)."""
    last, steady = None, 0
    deadline = time.monotonic() + TIMEOUT_S
    while time.monotonic() < deadline and steady < 5:
        frame = screen.frame(wid)
        steady = steady + 1 if frame is not None and frame == last else 0
        last = frame
        time.sleep(0.1)
    return last


def open_catalogue(screen, brand):
    x, y, w, h = screen.client(brand)
    scale = w / BRAND_CLIENT[0]
    ax, ay, aw, ah = KORVA_AREA
    screen.click(round(x + (ax + aw / 2) * scale), round(y + (ay + ah / 2) * scale))
    return wait_for("the catalogue window", lambda: screen.window(CATALOGUE_TITLE))


def is_red(pixel):
    r, g, b = pixel
    return r > 200 and g < 70 and b < 70


def click_make_row(screen, scratch, catalogue, scale, target):
    """Clicks make row `target` at its place in the window as shown; True when that row,
    and only it among the first eight, then shows the selection's red."""
    x, y, _, _ = screen.client(catalogue)
    gx, gy, _, _ = MAKE_GRID
    # A row is told by the selection's red near the list's right edge, right of any name.
    place = lambda row: (round(x + (gx + 150) * scale), round(y + (gy + (row + 0.5) * ROW_HEIGHT) * scale))
    screen.click(round(x + (gx + 60) * scale), place(target)[1])
    time.sleep(1)
    shot = os.path.join(scratch, "rows.png")
    screen.screenshot(shot)
    marks = [is_red(screen.pixels(shot, place(row) + (1, 1))[0][0]) for row in range(8)]
    check(marks == [row == target for row in range(8)],
          "a click on make row %d at its place on the screen selects it (rows shown red: %s)"
          % (target, [r for r, red in enumerate(marks) if red]))
    return shot


def small_screen(program, scratch, log, screenshot):
    """1366 x 768 less a task bar: every window is drawn smaller as a whole, at the one
    factor at which the catalogue window with its frame fits the available area."""
    screen = Screen(scratch, (1366, 768), 40, {})
    try:
        screen.start(program, log)
        area = screen.work_area()
        check(area == (0, 0, 1366, 728), "the available area leaves the task bar out: %s" % (area,))
        brand = wait_for("the brand screen", lambda: screen.window(BRAND_TITLE))
        frame = settled_frame(screen, brand)
        check(frame is not None and inside(frame, area), "brand screen with its frame %s lies within %s" % (frame, area))
        _, _, w, h = screen.client(brand)
        scale = w / BRAND_CLIENT[0]
        check(0.8 < scale < 1 and abs(h - BRAND_CLIENT[1] * scale) <= 1,
              "brand screen drawn smaller as a whole: %dx%d" % (w, h))
        catalogue = open_catalogue(screen, brand)
        frame = settled_frame(screen, catalogue)
        check(frame is not None and inside(frame, area),
              "catalogue window with its frame %s lies within %s" % (frame, area))
        _, _, w, h = screen.client(catalogue)
        check(abs(w / CATALOGUE_CLIENT[0] - scale) < 0.01 and abs(h - CATALOGUE_CLIENT[1] * scale) <= 1,
              "catalogue window at the brand screen's factor: %dx%d" % (w, h))
        shot = click_make_row(screen, scratch, catalogue, w / CATALOGUE_CLIENT[0], 3)
        if screenshot:
            shutil.copyfile(shot, screenshot)
    finally:
        screen.stop()


def fitted_screen(program, scratch, log):
    """A user's QT_SCALE_FACTOR=2 on 1920 x 1080 less a task bar: the factor is reduced
    as far as the catalogue window with its frame needs to fit, for every window."""
    screen = Screen(scratch, (1920, 1080), 40, {"QT_SCALE_FACTOR": "2"})
    try:
        screen.start(program, log)
        area = screen.work_area()
        brand = wait_for("the brand screen", lambda: screen.window(BRAND_TITLE))
        frame = settled_frame(screen, brand)
        check(frame is not None and inside(frame, area), "brand screen with its frame %s lies within %s" % (frame, area))
        _, _, w, h = screen.client(brand)
        scale = w / BRAND_CLIENT[0]
        check(1 < scale < 2 and abs(h - BRAND_CLIENT[1] * scale) <= 1,
              "brand screen scaled as a whole to fit: %dx%d" % (w, h))
        catalogue = open_catalogue(screen, brand)
        frame = settled_frame(screen, catalogue)
        check(frame is not None and inside(frame, area),
              "catalogue window with its frame %s lies within %s" % (frame, area))
        _, _, w, h = screen.client(catalogue)
        check(abs(w / CATALOGUE_CLIENT[0] - scale) < 0.01 and abs(h - CATALOGUE_CLIENT[1] * scale) <= 1,
              "catalogue window at the brand screen's factor: %dx%d" % (w, h))
        click_make_row(screen, scratch, catalogue, scale, 4)
    finally:
        screen.stop()


def uniform_blocks(pixels):
    """Of the 2x2 blocks of screen pixels that make one window pixel and have detail in or
    right round them, how many are one colour. A picture drawn at the window's pixels and
    doubled is made of nothing else; drawn at the screen's, only its straight edges that
    fall on whole window pixels are."""
    detailed = uniform = 0
    for r in range(2, len(pixels) - 4, 2):
        for c in range(2, len(pixels[0]) - 4, 2):
            around = [pixels[rr][cc] for rr in range(r - 1, r + 3) for cc in range(c - 1, c + 3)]
            spread = max(max(p[i] for p in around) - min(p[i] for p in around) for i in range(3))
            if spread < 60:  # flat surface: equal pixels are right there
                continue
            detailed += 1
            block = {pixels[r][c], pixels[r][c + 1], pixels[r + 1][c], pixels[r + 1][c + 1]}
            uniform += len(block) == 1
    return detailed, uniform


def hidpi_screen(program, scratch, log):
    screen = Screen(scratch, (2400, 1700), 0, {"QT_SCALE_FACTOR": "2"})
    try:
        screen.start(program, log)
        brand = wait_for("the brand screen", lambda: screen.window(BRAND_TITLE))
        _, _, w, _ = screen.client(brand)
        check(w == 2 * BRAND_CLIENT[0], "brand screen at twice its size: %d pixels wide" % w)
        catalogue = open_catalogue(screen, brand)
        settled_frame(screen, catalogue)
        time.sleep(1)
        x, y, w, h = screen.client(catalogue)
        check((w, h) == (2 * CATALOGUE_CLIENT[0], 2 * CATALOGUE_CLIENT[1]), "catalogue window at twice its size")
        shot = os.path.join(scratch, "hidpi.png")
        screen.screenshot(shot)
        # Window pixels: the header's wordmark and title, a list card's edge with its
        # title, a magnifier button, the make list's markers.
        for name, (bx, by, bw, bh) in {
            "header of the skin": (14, 16, 300, 60),
            "list card edge": (10, 92, 60, 60),
            "magnifier button": (980, 270, 40, 40),
            "make list markers": (16, 150, 30, 120),
        }.items():
            box = (x + 2 * bx, y + 2 * by, 2 * bw, 2 * bh)
            detailed, uniform = uniform_blocks(screen.pixels(shot, box))
            check(detailed > 20 and 2 * uniform < detailed,
                  "%s drawn at the screen's resolution: %d of %d detailed 2x2 blocks one colour"
                  % (name, uniform, detailed))
    finally:
        screen.stop()


def main():
    args = sys.argv[1:]
    program = args[0]
    screenshot = args[args.index("--screenshot") + 1] if "--screenshot" in args else None
    for tool, package in TOOLS.items():
        if shutil.which(tool) is None:
            text = "%s is missing (package %s; scripts/setup.sh installs it)" % (tool, package)
            if os.environ.get("CI"):
                print("FAIL  " + text)
                return 1
            print("SKIPPED: " + text)
            return 77
    with tempfile.TemporaryDirectory() as scratch:
        # A scratch home for settings, cache and TEMP: the user's are neither read nor left.
        for name in ("XDG_CONFIG_HOME", "XDG_CACHE_HOME", "TEMP"):
            os.makedirs(os.path.join(scratch, name))
            os.environ[name] = os.path.join(scratch, name)
        os.environ["XDG_CONFIG_DIRS"] = os.path.join(scratch, "XDG_CONFIG_HOME")
        with open(os.path.join(scratch, "program.log"), "w") as log:
            small_screen(program, scratch, log, screenshot)
            fitted_screen(program, scratch, log)
            hidpi_screen(program, scratch, log)
        if failures:
            with open(os.path.join(scratch, "program.log")) as log:
                print("--- program output\n" + log.read())
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
