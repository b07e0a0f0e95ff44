// Routines that go with the COFF and STABS reader: Cygwin source paths of the loaded tables
// turned into drive paths, the directory used last, whether a source file is newer than a
// given file, board description records, and a little arithmetic and byte order.
#pragma once

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

// The Cygwin mount table, read only, below HKEY_CURRENT_USER. Without it the mapping routines
// change nothing.
constexpr const char* kCygwinMountKey = "Software\\Cygnus Solutions\\Cygwin\\mounts v2";

// Results of ReadTargetRecord.
constexpr int kTargetRecordOk = 0;
constexpr int kTargetRecordNoPath = -10;
constexpr int kTargetRecordCannotOpen = -11;
constexpr int kTargetRecordNotFound = -12;
constexpr int kTargetRecordBytes = 32;

// The value "cygdrive prefix" of the mount table ("/cygdrive" when it is missing, not text or
// 260 bytes or longer) followed by "/".
CString GetCygdrivePrefix();

// Rewrites every source path of theStabsFiles from the cygdrive form to a drive path:
// slashes become backslashes, every occurrence of the prefix goes, and a ':' is put behind a
// leading drive letter, so /cygdrive/c/src/a.c becomes c:\src\a.c.
void MapCygdrivePaths();

// For each mount point of the mount table but "/", whose "native" value is its Windows
// folder: every source path that begins with the mount point (slashes as backslashes) gets
// every occurrence of it replaced by that folder. Run it after MapCygdrivePaths, when the
// paths hold backslashes. Returns the error of opening the mount table, else the result of
// closing it. Mount points of 261 characters or more and folders of 261 bytes or more are
// passed over.
LONG MapCygwinMounts();

// Keeps the drive and folder of `path` as the profile entry "Recent Dir".
void SaveRecentDir(CString path);
// The folder kept by SaveRecentDir; "" when there is none.
CString GetRecentDir();

// TRUE when `path` has a status and some source file of the tables was modified after it.
BOOL IsAnySourceNewer(CString path);

// Reads the board description file `path` (32-byte records) up to the first of at most 256
// records whose byte 1 is `id`, into `record`, and sets theStabsTaskBase from bits 12-14 of
// the big-endian word at record offset 12 (0: 0, 1: 0x40000000). kTargetRecordOk, or
// kTargetRecordNoPath (empty path), kTargetRecordCannotOpen, or kTargetRecordNotFound (no
// such record, a record cut short, or an area base of any other value); `record` then holds
// the last record read.
int ReadTargetRecord(const char* path, int id, BYTE record[kTargetRecordBytes]);

// The exact unsigned 64-bit product of a and b.
void MulU32x32(DWORD a, DWORD b, DWORD* high, DWORD* low);
// The calendar time (seconds since 1970) times 1,000,000.
void GetTimeMicroseconds(DWORD* high, DWORD* low);
// a then b, each most significant byte first, into dest[0..7].
void PutBigEndianPair(BYTE* dest, DWORD a, DWORD b);

// The range table: kRangeEntries entries of five words, of which SetRangeEntry sets the
// first four. An index outside the table is ignored.
constexpr int kRangeEntries = 1024;
extern DWORD theRangeTable[kRangeEntries][5];
void SetRangeEntry(int index, DWORD w0, DWORD w1, DWORD w2, DWORD w3);
