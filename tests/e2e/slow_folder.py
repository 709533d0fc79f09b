#!/usr/bin/python3
"""A slow folder: a read-only FUSE passthrough of SOURCE at MOUNTPOINT that
sleeps DELAY seconds in every directory read, as a far network share does;
the read of a folder whose name starts with "stalled" does not end, as on a
share that stopped answering, until a file "SOURCE.release" appears (a read
the daemon has taken cannot be interrupted); one whose name starts with
"denied" is refused, as a folder whose permissions keep the user out (the
tests run as root, for whom no mode bits refuse anything). Files deleted
from SOURCE are gone here too.

    slow_folder.py SOURCE MOUNTPOINT DELAY
"""
import errno
import os
import sys
import time

from fusepy import FUSE, FuseOSError, Operations


class SlowFolder(Operations):
    def __init__(self, source, delay):
        self.source = source
        self.delay = delay

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
        while os.path.basename(path).startswith("stalled") and not os.path.exists(self.source + ".release"):
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
    FUSE(SlowFolder(os.path.abspath(source), delay), mountpoint, foreground=True, ro=True, nothreads=False)
