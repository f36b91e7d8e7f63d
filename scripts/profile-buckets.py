#!/usr/bin/env python3
"""The configurator's perf samples: the top functions by self and by inclusive time, and the parts of
the receive path the samples were spent in.

Reads `perf script -F comm,tid,ip,sym` output on standard input. For the parts, each sample goes to the innermost
marker frame on its stack (the one nearest the leaf), so the parts add up to 100 %; a sample with no
marker is "other". Also counts, across all parts, the samples that were allocating or freeing memory.
Usage: perf script -i DATA --comms bench_pty,"Thread (pooled)" -F comm,tid,ip,sym | profile-buckets.py [window [top]]
`window` keeps only main-thread samples under a frame containing that text (e.g. benchRegister).
"""
import re
import sys

# (part, pattern on a frame's symbol), innermost wins; order only breaks ties within one frame.
MARKERS = [
    ("accessibility updates (QAccessible)", r"^QAccessible|QAccessibleEvent|QAccessibleWidget|QSpiAccessible|AtSpiAdaptor"),
    ("painting: the raster engine's thread pool (start, wait, workers)", r"^QThreadPool|QThreadPoolThread|^start_thread$"),
    ("list: insert line + document layout (EventList::append)", r"^EventList::append"),
    ("list: caret follows the end (followEnd)", r"^EventList::followEnd"),
    ("gauge (QProgressBar::setValue)", r"^QProgressBar::setValue|^EventRegister::showGauge"),
    ("painting (QWidgetRepaintManager::paintAndFlush)", r"^QWidgetRepaintManager::"),
    ("decode record (DecodeEventRecord)", r"^DecodeEventRecord"),
    ("Link::ComPortRxChar (read, assemble, queue)", r"^Link::ComPortRxChar"),
    ("dispatch (Link::dispatchPending, rest)", r"^Link::dispatchPending"),
    ("QtSerialPort::onReadyRead (rest)", r"^QtSerialPort::onReadyRead"),
    ("QSerialPort read notification (rest)", r"^QSerialPortPrivate|^QSerialPort::|QIODevice::read"),
    ("socket notifier dispatch (rest)", r"socketNotifierSourceDispatch|^QSocketNotifier"),
    ("timers (QTimerInfoList::activateTimers, rest)", r"^QTimerInfoList::activateTimers"),
    ("posted events (sendPostedEvents, rest)", r"^QCoreApplicationPrivate::sendPostedEvents"),
    ("event loop: poll() in the kernel and libc", r"^__poll$|^do_sys_poll|^__x64_sys_poll|^g_poll$"),
    ("event loop: glib prepare / check / dispatch (rest)", r"^g_main_context_|^QEventDispatcherGlib"),
]
ALLOC = re.compile(r"^(malloc|_int_malloc|free|_int_free|cfree|operator new|operator delete|realloc|_int_realloc|malloc_consolidate|__GI___libc_malloc|__GI___libc_free|__libc_malloc|__libc_free)\b")
# Frames every sample passes through (start-up, the event loop's own dispatch), left out of the inclusive list.
PLUMBING = re.compile(r"^(main|_start|__libc_|measure<|operator\(\)|benchRegister|benchConfig|\(anonymous namespace\)::bench|"
                      r"start_thread|entry_SYSCALL|do_syscall_64|__raw_callee_save|\[unknown\]|0x|"
                      r"QEventDispatcherGlib::processEvents|g_main_context_(iteration|dispatch)|"
                      r"QCoreApplication::notifyInternal2|QApplicationPrivate::notify_helper|QObject::event|QWidget::event|"
                      r"QCoreApplicationPrivate::sendThroughObjectEventFilters|clone3)")
compiled = [(name, re.compile(p)) for name, p in MARKERS]


def samples(stream):
    head, frames = None, []
    for line in stream:
        line = line.rstrip("\n")
        if not line.strip():
            if head is not None:
                yield head, frames
            head, frames = None, []
        elif not line.startswith("\t"):
            head, frames = line.split(), []
        else:
            parts = line.strip().split(" ", 1)
            frames.append(parts[1] if len(parts) > 1 else parts[0])
    if head is not None:
        yield head, frames


def main():
    window = sys.argv[1] if len(sys.argv) > 1 else None
    top = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    counts, total, alloc = {}, 0, 0
    self_time, inclusive = {}, {}
    for head, frames in samples(sys.stdin):
        pooled = "pooled" in " ".join(head)
        if window and not pooled and not any(window in f for f in frames):
            continue
        total += 1
        names = [f for f in frames if f != "[unknown]"] or ["[unknown]"]
        self_time[names[0]] = self_time.get(names[0], 0) + 1
        for f in set(n for n in names if not PLUMBING.search(n)):
            inclusive[f] = inclusive.get(f, 0) + 1
        part = "other"
        if pooled:
            part = MARKERS[1][0]
        else:
            for f in frames:  # leaf first
                hit = next((name for name, rx in compiled if rx.search(f)), None)
                if hit:
                    part = hit
                    break
        counts[part] = counts.get(part, 0) + 1
        if any(ALLOC.search(f) for f in frames):
            alloc += 1
    total = max(total, 1)
    print(f"{total} samples of the configurator's threads")
    for title, table in (("self", self_time), ("inclusive", inclusive)):
        print(f"top {top} by {title} time:")
        for name, n in sorted(table.items(), key=lambda kv: -kv[1])[:top]:
            print(f"  {100.0 * n / total:5.1f} %  {name[:110]}")
    print("parts of the path (innermost marker on the stack):")
    for name, n in sorted(counts.items(), key=lambda kv: -kv[1]):
        print(f"  {100.0 * n / total:5.1f} %  {name}")
    print(f"  ({100.0 * alloc / max(total, 1):.1f} % of all samples were inside malloc/free/new/delete)")


main()
