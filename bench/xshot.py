"""Fast grabs of the X screen through Xlib (ctypes), for polling what the game has drawn.

import(1) takes a tenth of a second or more per capture on a busy machine; XGetImage of the root
window takes a few milliseconds, so the first drawn frame is seen close to when it appears.
"""
import ctypes
import ctypes.util


class _Funcs(ctypes.Structure):
    _fields_ = [("create_image", ctypes.c_void_p), ("destroy_image", ctypes.c_void_p),
                ("get_pixel", ctypes.c_void_p), ("put_pixel", ctypes.c_void_p),
                ("sub_image", ctypes.c_void_p), ("add_pixel", ctypes.c_void_p)]


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p), ("f", _Funcs)]


_DESTROY = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(_XImage))
_ALL_PLANES = 0xFFFFFFFF
_Z_PIXMAP = 2

_x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
_x.XOpenDisplay.restype = ctypes.c_void_p
_x.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x.XCloseDisplay.argtypes = [ctypes.c_void_p]
_x.XDefaultRootWindow.restype = ctypes.c_ulong
_x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x.XGetImage.restype = ctypes.POINTER(_XImage)
_x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                         ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]


class Screen:
    """A connection to one display; grab() returns the root as 32-bit BGRX rows."""

    def __init__(self, display, width, height):
        self.display = _x.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError("cannot open display %s" % display)
        self.root = _x.XDefaultRootWindow(self.display)
        self.width, self.height = width, height

    def grab(self):
        """(bytes, bytes_per_line) of the whole screen; pixels are B, G, R, pad."""
        image = _x.XGetImage(self.display, self.root, 0, 0, self.width, self.height,
                             _ALL_PLANES, _Z_PIXMAP)
        if not image:
            raise RuntimeError("XGetImage failed")
        try:
            if image.contents.bits_per_pixel != 32:
                raise RuntimeError("expected a 24-bit screen stored in 32 bits a pixel")
            stride = image.contents.bytes_per_line
            data = ctypes.string_at(image.contents.data, stride * self.height)
        finally:
            _DESTROY(image.contents.f.destroy_image)(image)
        return data, stride

    def close(self):
        if self.display:
            _x.XCloseDisplay(self.display)
            self.display = None
