#!/usr/bin/env python3
"""How true the engine's clock is to the sound. Run by bench/sound-sync.sh with a PulseAudio null
sink of its own: records the sink's monitor with parec (each block stamped with the steady clock
as it arrives) while `morvane-engine play` plays a track of clicks every half second, seeks and
changes the pitch, and prints its position with the steady clock every 20 ms. Each click found in
the recording is set against the position the engine reported at that moment.
Usage: sound-sync.py BUILD_DIR WORK_DIR"""
import array
import statistics
import subprocess
import sys
import threading
import time

RATE = 44100
CLICK_EVERY_MS = 500
CLICK_AT_MS = 250  # first click
build, work = sys.argv[1], sys.argv[2]

# 40 s of silence with a 3 ms burst of 2 kHz every half second.
wav, mp3 = f"{work}/clicks.wav", f"{work}/clicks.mp3"
samples = array.array("h", bytes(2 * RATE * 40))
import math
for k in range(80):
    start = (CLICK_AT_MS + k * CLICK_EVERY_MS) * RATE // 1000
    for i in range(int(0.003 * RATE)):
        samples[start + i] = int(20000 * math.sin(2 * math.pi * 2000 * i / RATE))
with open(f"{work}/clicks.raw", "wb") as f:
    f.write(samples.tobytes())
subprocess.run(["sox", "-t", "raw", "-r", str(RATE), "-e", "signed", "-b", "16", "-c", "1",
                f"{work}/clicks.raw", wav], check=True)
subprocess.run(["lame", "--quiet", "-b", "192", wav, mp3], check=True)

recorder = subprocess.Popen(["parec", "-d", "nullsink.monitor", "--raw", "--format=s16le",
                             f"--rate={RATE}", "--channels=1", "--latency-msec=5"],
                            stdout=subprocess.PIPE)
blocks = []  # (steady ns when the block arrived, frames recorded up to its end)
recorded = bytearray()


def record():
    while True:
        data = recorder.stdout.read1(4096)
        if not data:
            return
        now = time.monotonic_ns()
        recorded.extend(data)
        blocks.append((now, len(recorded) // 2))


reader = threading.Thread(target=record, daemon=True)
reader.start()
time.sleep(1.0)
SEEK_AT, SEEK_TO, PITCH_AT, PITCH = 6, 20, 12, 120
player = subprocess.run([f"{build}/morvane-engine", "play", mp3, "--seconds", "18", "--clock-ms", "20",
                         "--at", f"{SEEK_AT}:seek:{SEEK_TO}", "--at", f"{PITCH_AT}:pitch:{PITCH}"],
                        capture_output=True, text=True, check=True)
time.sleep(0.5)
recorder.terminate()
reader.join(timeout=2)

clock = []  # (steady ns, position ms)
events = {}
for line in player.stdout.splitlines():
    fields = dict(part.split("=", 1) for part in line.split())
    if "positionMs" in fields:
        clock.append((int(fields["clock"]), int(fields["positionMs"])))
    elif "event" in fields:
        events[fields["event"].split(":")[0]] = int(fields["clock"])
# Blocks arrive after they are recorded: the earliest arrival less its length bounds the start.
origin = min(t - frames * 1e9 / RATE for t, frames in blocks)

pcm = array.array("h")
pcm.frombytes(bytes(recorded[: len(recorded) // 2 * 2]))
onsets, last = [], -RATE
for n, v in enumerate(pcm):
    if abs(v) > 4000 and n - last > RATE // 10:
        onsets.append(n)
        last = n
    elif abs(v) > 4000:
        last = n


def position_at(t):
    before = [c for c in clock if c[0] <= t]
    if not before:
        return None
    t0, p0 = before[-1]
    return p0 + (t - t0) / 1e6  # the tempo stays 1: pitch alone changes


groups = {"before the seek": [], "after the seek": [], "after the pitch change": []}
for n in onsets:
    t = origin + n * 1e9 / RATE
    pos = position_at(t)
    if pos is None or t > clock[-1][0]:
        continue
    k = round((pos - CLICK_AT_MS) / CLICK_EVERY_MS)
    error = pos - (CLICK_AT_MS + k * CLICK_EVERY_MS)
    # Skip the half second after each change, while the old sound is still being replaced.
    if t < events["seek"]:
        groups["before the seek"].append(error)
    elif events["seek"] + 5e8 < t < events["pitch"]:
        groups["after the seek"].append(error)
    elif t > events["pitch"] + 5e8:
        groups["after the pitch change"].append(error)

print(f"clicks found: {len(onsets)}; engine position minus the click's time in the track, ms:")
ok = True
for name, errors in groups.items():
    if not errors:
        print(f"  {name:24s} no clicks")
        ok = False
        continue
    worst = max(errors, key=abs)
    ok = ok and abs(worst) <= 20
    print(f"  {name:24s} n={len(errors):3d} median {statistics.median(errors):+6.1f}  worst {worst:+6.1f}")
print("target: every click within 20 ms:", "met" if ok else "NOT met")
