#!/usr/bin/env python3
"""Whole-run figures of the updater against a bare RtMidi host doing the same protocol.

Both run against the simulated keyboard (norvik-sim) on the JACK server named by
JACK_DEFAULT_SERVER (whole-run.sh starts a private synchronous one), with the same
image, round after round, in alternating order. Each round and host:

  switch run    keyboard in normal mode: identity request, enter-update-mode, exit 2
  transfer run  keyboard in update mode after a power cycle: the whole image, exit 0
  wait run      a short image whose second record is acknowledged late: the CPU that
                the waiting host uses meanwhile, and that of a bare JACK MIDI client
                (jack_midi_dump, one input port, nothing else) idling on the same
                server over the same time: what any client costs as the server wakes
                it every cycle, the server's part of an idle host's CPU
  no keyboard   no keyboard at all: exit 6

Times come from the moments the keyboard's event lines arrive, CPU time and context
switches from the host's resource usage (all its threads, until it has exited).
Medians over the rounds are printed, with the updater's figure divided by the bare
host's.
"""

import argparse
import os
import random
import re
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

WAIT_RECORD = 2


class Keyboard:
    """A norvik-sim process whose event lines are time-stamped as they arrive."""

    def __init__(self, sim, image, extra=()):
        args = [sim, "--expect", image, "--off-time", "300", "--install-time", "300", *extra]
        self.process = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, text=True, bufsize=1)
        self.lines = []  # (arrival, text)
        self.changed = threading.Condition()
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.expect(r"^\s*[\d.]+ on: normal mode", 0, 10)

    def _read(self):
        for line in self.process.stdout:
            with self.changed:
                self.lines.append((time.monotonic(), line.rstrip("\n")))
                self.changed.notify_all()
        with self.changed:
            self.changed.notify_all()

    def mark(self):
        with self.changed:
            return len(self.lines)

    def expect(self, pattern, since, timeout=30):
        """The arrival time of the first line from index `since` on that matches."""
        regex = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self.changed:
            index = since
            while True:
                while index < len(self.lines):
                    arrival, text = self.lines[index]
                    index += 1
                    if regex.search(text):
                        return arrival
                left = deadline - time.monotonic()
                if left <= 0 or self.process.poll() is not None and index >= len(self.lines):
                    tail = "\n".join(text for _, text in self.lines[-10:])
                    raise RuntimeError(f"the keyboard did not report /{pattern}/; its last lines:\n{tail}")
                self.changed.wait(left)

    def command(self, text):
        self.process.stdin.write(text + "\n")
        self.process.stdin.flush()

    def power_cycle_into_update_mode(self):
        since = self.mark()
        self.command("power")
        self.expect(r"on: update mode", since)

    def close(self):
        try:
            self.command("quit")
        except (BrokenPipeError, ValueError):
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


class BareClient:
    """jack_midi_dump idling on the server, or nothing when it is not installed."""

    def __init__(self):
        try:
            self.process = subprocess.Popen(["jack_midi_dump"], stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL)
        except FileNotFoundError:
            self.process = None

    def cpu(self):
        return cpu_of_threads(self.process.pid) if self.process else float("nan")

    def close(self):
        # Interrupted, it closes its client; terminated, it vanishes from a synchronous
        # server's cycle, which then stalls for ten client time-outs.
        if self.process:
            self.process.send_signal(signal.SIGINT)
            self.process.wait()


def cpu_of_threads(pid):
    """Seconds of CPU that the process's live threads have used (scheduler statistics)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total / 1e9


class Run:
    """One host process: started now, reaped with its resource usage."""

    def __init__(self, command):
        self.started = time.monotonic()
        self.process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def finish(self, expected_status, timeout=600):
        deadline = time.monotonic() + timeout
        while True:
            pid, status, usage = os.wait4(self.process.pid, os.WNOHANG)
            if pid:
                break
            if time.monotonic() > deadline:
                self.process.kill()
                raise RuntimeError(f"{self.process.args[0]} did not end")
            time.sleep(0.001)
        self.ended = time.monotonic()
        self.process.returncode = os.waitstatus_to_exitcode(status)
        errors = self.process.stderr.read().decode(errors="replace")
        if self.process.returncode != expected_status:
            raise RuntimeError(f"{' '.join(self.process.args)} ended with {self.process.returncode}, "
                               f"not {expected_status}: {errors.strip()}")
        self.cpu = usage.ru_utime + usage.ru_stime
        self.switches = usage.ru_nvcsw + usage.ru_nivcsw
        return self


def write_image(path, kib, records=None, seed=2026):
    """Hexadecimal image text: records of 1 to 250 bytes, about `kib` KiB, or `records` of them."""
    rng = random.Random(seed)
    parts, size, count = [], 0, 0
    while (records is None and size < kib * 1024) or (records is not None and count < records):
        n = rng.randint(1, 250)
        parts.append("%04X" % n + "".join("%02X" % rng.randint(0, 255) for _ in range(n)))
        size += n + 2
        count += 1
    with open(path, "w") as f:
        f.write("".join(parts))
    return size, count


def measure(host, command_for, sim, image, records, wait_image, wait_ms):
    figures = {}
    keyboard = Keyboard(sim, image)
    try:
        since = keyboard.mark()
        run = Run(command_for(image))
        identity = keyboard.expect(r"identity: ", since)
        accepted = keyboard.expect(r"enter: accepted", since)
        run.finish(2)
        figures["start to identity request (ms)"] = (identity - run.started) * 1000
        figures["switch run (ms)"] = (run.ended - run.started) * 1000
        figures["switch run: exit after the answer (ms)"] = (run.ended - accepted) * 1000
        figures["switch run: CPU (ms)"] = run.cpu * 1000
        figures["switch run: context switches"] = run.switches

        keyboard.power_cycle_into_update_mode()
        since = keyboard.mark()
        run = Run(command_for(image))
        session = keyboard.expect(r"session: start", since)
        done = keyboard.expect(r"done: image matches", since, timeout=600)
        run.finish(0)
        figures["start to session start (ms)"] = (session - run.started) * 1000
        figures["transfer (ms)"] = (done - session) * 1000
        figures["transfer run (ms)"] = (run.ended - run.started) * 1000
        figures["transfer run: exit after the last record (ms)"] = (run.ended - done) * 1000
        figures["transfer run: CPU (ms)"] = run.cpu * 1000
        figures["transfer run: context switches"] = run.switches
    finally:
        keyboard.close()

    keyboard = Keyboard(sim, wait_image, ["--late-ack-at", f"{WAIT_RECORD}:{wait_ms}"])
    bare_client = BareClient()
    try:
        since = keyboard.mark()
        Run(command_for(wait_image)).finish(2)
        keyboard.power_cycle_into_update_mode()
        since = keyboard.mark()
        run = Run(command_for(wait_image))
        keyboard.expect(rf"record {WAIT_RECORD} ", since)
        # The middle of the wait: clear of the record's sending and of the late answer.
        time.sleep(0.25)
        first, bare_first, begun = cpu_of_threads(run.process.pid), bare_client.cpu(), time.monotonic()
        time.sleep(wait_ms / 1000 - 0.75)
        last, bare_last, ended = cpu_of_threads(run.process.pid), bare_client.cpu(), time.monotonic()
        run.finish(0)
        figures["waiting for an acknowledgement: CPU (% of a core)"] = 100 * (last - first) / (ended - begun)
        figures["  a bare JACK client idling beside it (% of a core)"] = \
            100 * (bare_last - bare_first) / (ended - begun)
    finally:
        bare_client.close()
        keyboard.close()

    run = Run(command_for(image)).finish(6)
    figures["transfer run: CPU per record (ms)"] = figures["transfer run: CPU (ms)"] / records
    figures["no keyboard: run (ms)"] = (run.ended - run.started) * 1000
    figures["no keyboard: CPU (ms)"] = run.cpu * 1000
    return figures


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build", help="the Release build folder, e.g. build/release")
    parser.add_argument("--kib", type=int, default=32, help="image size of the transfer run (default 32)")
    parser.add_argument("--records", type=int, help="the transfer run's image in this many records instead")
    parser.add_argument("--rounds", type=int, default=3, help="rounds per host (default 3)")
    parser.add_argument("--wait-ms", type=int, default=3000, help="how late the measured acknowledgement is")
    options = parser.parse_args()
    if not os.environ.get("JACK_DEFAULT_SERVER"):
        sys.exit("whole_run.py: run it through whole-run.sh (a private JACK server)")

    build = os.path.abspath(options.build)
    sim = f"{build}/tools/norvik-sim/norvik-sim"
    updater = f"{build}/bin/FirmwareUpdater"
    bare = f"{build}/bench/WholeRun/bare-midi-host"
    hosts = {
        "updater": lambda image: [updater, "-SILENT", f"-ABSOLUTE_FIRMWARE_FILE_PATH={image}"],
        "bare": lambda image: [bare, image],
    }
    with tempfile.TemporaryDirectory(prefix="kv-whole-run.") as work:
        image, wait_image = f"{work}/image.led", f"{work}/wait.led"
        size, records = write_image(image, options.kib, records=options.records)
        write_image(wait_image, 0, records=2 * WAIT_RECORD)
        print(f"image: {size} bytes in {records} records; {options.rounds} rounds; "
              f"JACK server {os.environ['JACK_DEFAULT_SERVER']}", flush=True)
        results = {name: [] for name in hosts}
        for round_number in range(options.rounds):
            order = list(hosts) if round_number % 2 == 0 else list(reversed(hosts))
            for name in order:
                results[name].append(measure(name, hosts[name], sim, image, records, wait_image, options.wait_ms))
            print(f"round {round_number + 1} done", flush=True)

    keys = list(results["updater"][0])
    width = max(len(k) for k in keys)
    print(f"\n{'median of ' + str(options.rounds) + ' rounds':<{width}}  {'updater':>10}  {'bare host':>10}  {'ratio':>6}")
    for key in keys:
        ours = statistics.median(r[key] for r in results["updater"])
        theirs = statistics.median(r[key] for r in results["bare"])
        ratio = f"{ours / theirs:6.2f}" if theirs else "     -"
        print(f"{key:<{width}}  {ours:10.1f}  {theirs:10.1f}  {ratio}")
    # CPU figures swell with the machine's load: say what it was.
    print("load average: %.2f %.2f %.2f" % os.getloadavg())


if __name__ == "__main__":
    main()
