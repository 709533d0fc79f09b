#!/usr/bin/python3
"""A slow folder: a read-only FUSE passthrough of SOURCE at MOUNTPOINT that
sleeps DELAY seconds in every directory read, as a far network share does,
and READ_DELAY seconds (default 0) in every read of a file's bytes. The read
of a folder whose name starts with "stalled" does not end, as on a share that
stopped answering, until a file "SOURCE.release" appears (a read the daemon
has taken cannot be interrupted); one whose name starts with "denied" is
refused, as a folder whose permissions keep the user out (the tests run as
root, for whom no mode bits refuse anything). Files deleted from SOURCE are
gone here too.

While such reads are under way, "SOURCE.stalled" (a stalled folder's read)
and "SOURCE.reading" (a file's read) exist, so that a test can tell that the
program it watches is waiting for them at that moment.

    slow_folder.py SOURCE MOUNTPOINT DELAY [READ_DELAY]
"""
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations


class PendingMarker:
    """A file that exists while at least one read of a kind is under way."""

    def __init__(self, path):
        self.path = path
        self.count = 0
        self.lock = threading.Lock()

    def __enter__(self):
        with self.lock:
            self.count += 1
            if self.count == 1:
                open(self.path, "w").close()

    def __exit__(self, *_):
        with self.lock:
            self.count -= 1
            if self.count == 0:
                os.remove(self.path)


class SlowFolder(Operations):
    def __init__(self, source, delay, read_delay):
        self.source = source
        self.delay = delay
        self.read_delay = read_delay
        self.stalled = PendingMarker(source + ".stalled")
        self.reading = PendingMarker(source + ".reading")

    def _path(self, path):
        return os.path.join(self.source, path.lstrip("/"))

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._path(path))
        except OSError as error:
            raise FuseOSError(error.errno)
        names = ("st_atime", "st_ctime", "st_gid", "st_mode", "st_mtime", "st_nlink", "st_size", "st_uid")
        return {name: getattr(st, name) for name in names}

    def readdir(self, path, fh):
        time.sleep(self.delay)
        if os.path.basename(path).startswith("denied"):
            raise FuseOSError(errno.EACCES)
        if os.path.basename(path).startswith("stalled"):
            with self.stalled:
                while not os.path.exists(self.source + ".release"):
                    time.sleep(0.1)
        try:
            return [".", ".."] + os.listdir(self._path(path))
        except OSError as error:
            raise FuseOSError(error.errno)

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        try:
            return os.open(self._path(path), flags)
        except OSError as error:
            raise FuseOSError(error.errno)

    def read(self, path, size, offset, fh):
        if self.read_delay > 0:
            with self.reading:
                time.sleep(self.read_delay)
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)

    def statfs(self, path):
        st = os.statvfs(self.source)
        names = ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree", "f_files", "f_flag",
                 "f_frsize", "f_namemax")
        return {name: getattr(st, name) for name in names}


if __name__ == "__main__":
    source, mountpoint, delay = sys.argv[1], sys.argv[2], float(sys.argv[3])
    read_delay = float(sys.argv[4]) if len(sys.argv) > 4 else 0.0
    FUSE(SlowFolder(os.path.abspath(source), delay, read_delay), mountpoint, foreground=True, ro=True,
         nothreads=False)
