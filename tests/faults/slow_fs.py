#!/usr/bin/python3
"""A passthrough file system whose every write waits first, like a slow USB stick or network share.

    slow_fs.py <mount point> -o root=<backing folder>,delay=<seconds per write> [-f]

Everything else goes straight to the backing folder. The kernel hands FUSE writes of at most 4 KiB
unless big_writes is given, so the delay per write sets the disk's pace.
"""
import errno
import os
import sys
import time

import fuse

fuse.fuse_python_api = (0, 2)


class SlowFS(fuse.Fuse):
    def __init__(self, *args, **kwargs):
        fuse.Fuse.__init__(self, *args, **kwargs)
        self.root = None
        self.delay = 0.03

    def real(self, path):
        return self.root + path

    def getattr(self, path):
        return os.lstat(self.real(path))

    def readdir(self, path, offset):
        for name in [".", ".."] + os.listdir(self.real(path)):
            yield fuse.Direntry(name)

    def access(self, path, mode):
        if not os.access(self.real(path), mode):
            return -errno.EACCES

    def unlink(self, path):
        os.unlink(self.real(path))

    def rename(self, old, new):
        os.rename(self.real(old), self.real(new))

    def mkdir(self, path, mode):
        os.mkdir(self.real(path), mode)

    def rmdir(self, path):
        os.rmdir(self.real(path))

    def chmod(self, path, mode):
        os.chmod(self.real(path), mode)

    def truncate(self, path, size):
        os.truncate(self.real(path), size)

    def utimens(self, path, accessed, modified):
        os.utime(self.real(path), ns=(accessed.tv_sec * 10**9 + accessed.tv_nsec,
                                      modified.tv_sec * 10**9 + modified.tv_nsec))

    def statfs(self):
        return os.statvfs(self.root)

    def main(self, *args, **kwargs):
        fs = self

        class SlowFile:
            def __init__(self, path, flags, *mode):
                self.fd = os.open(fs.real(path), flags, *mode)

            def read(self, length, offset):
                return os.pread(self.fd, length, offset)

            def write(self, data, offset):
                time.sleep(fs.delay)
                return os.pwrite(self.fd, data, offset)

            def fgetattr(self):
                return os.fstat(self.fd)

            def ftruncate(self, length):
                os.ftruncate(self.fd, length)

            def fsync(self, datasync):
                (os.fdatasync if datasync else os.fsync)(self.fd)

            def flush(self):
                pass

            def release(self, flags):
                os.close(self.fd)

        self.file_class = SlowFile
        return fuse.Fuse.main(self, *args, **kwargs)


def main():
    server = SlowFS(usage=__doc__, dash_s_do="setsingle")
    server.parser.add_option(mountopt="root", metavar="PATH", help="the backing folder")
    server.parser.add_option(mountopt="delay", metavar="SECONDS", help="wait before each write")
    server.parse(values=server, errex=1)
    server.root = os.path.abspath(server.root)
    server.delay = float(server.delay)
    server.main()


if __name__ == "__main__":
    main()
