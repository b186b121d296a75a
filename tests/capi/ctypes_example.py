"""Valdrex from Python through ctypes: the built-in sample run and saved, a missing file, and a
job closed twice.

Usage: ctypes_example.py LIBVALDREX_SO OUTPUT_FOLDER
"""
import ctypes
import os
import sys

lib = ctypes.CDLL(sys.argv[1])
lib.valdrex_last_error.restype = ctypes.c_char_p
lib.valdrex_text_of.restype = ctypes.c_char_p
lib.valdrex_count_of.restype = ctypes.c_long
lib.valdrex_warning.restype = ctypes.c_char_p
OK, UNREADABLE, BAD_HANDLE = 0, 3, 7
CLASSES, STUDENTS, REPORT_SHEETS = 0, 1, 5
RESULT_PATH = 2


class RunOptions(ctypes.Structure):
    # size first: the library tells the members a caller knows by it
    _fields_ = [("size", ctypes.c_size_t), ("sheet", ctypes.c_char_p),
                ("first_target", ctypes.c_int), ("second_target", ctypes.c_int),
                ("year", ctypes.c_int), ("month", ctypes.c_int), ("day", ctypes.c_int),
                ("strict", ctypes.c_int), ("no_charts", ctypes.c_int), ("reserved", ctypes.c_int)]


job = ctypes.c_void_p()
assert lib.valdrex_open("缺少的.xlsx".encode(), ctypes.byref(job)) == UNREADABLE
assert "缺少的.xlsx" in lib.valdrex_last_error().decode()

assert lib.valdrex_open_sample(ctypes.byref(job)) == OK
options = RunOptions(ctypes.sizeof(RunOptions), None, 5, 20, 2026, 12, 6, 0, 0, 0)
assert lib.valdrex_run(job, ctypes.byref(options)) == OK, lib.valdrex_last_error().decode()
result = os.path.join(sys.argv[2], "python-结果.xlsx")
if os.path.exists(result):
    os.remove(result)
assert lib.valdrex_save_as(job, result.encode()) == OK, lib.valdrex_last_error().decode()
assert lib.valdrex_text_of(job, RESULT_PATH).decode() == result
assert (lib.valdrex_count_of(job, CLASSES), lib.valdrex_count_of(job, STUDENTS)) == (4, 160)
assert lib.valdrex_count_of(job, REPORT_SHEETS) == 9
assert os.path.getsize(result) > 0
assert lib.valdrex_close(job) == OK
assert lib.valdrex_close(job) == BAD_HANDLE  # reported, not a crash
assert lib.valdrex_count_of(job, CLASSES) == -1
print("ctypes example: 4 classes, 160 students ->", result)
