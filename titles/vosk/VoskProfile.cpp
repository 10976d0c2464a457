#include "titles/vosk/VoskProfile.h"

#include <iterator>

namespace {

// Series tables: one row per file, in name order. Each row is the track
// index, the first sector number R and the byte count; the comment gives
// the file name and the C/H that the track index stands for. Every cut
// reads 512-byte sectors (size code 2) from the start of its first sector.

constexpr SeriesRow kMus1Rows[] = {
    // track  R  bytes
    {75, 3, 512},   // MUS100  C37 H1
    {75, 4, 512},   // MUS101  C37 H1
    {74, 9, 3072},  // MUS102  C37 H0, runs on into track 75
    {74, 3, 3072},  // MUS103  C37 H0
    {0, 0, 0},
};

constexpr SeriesRow kVd1Rows[] = {
    {75, 5, 1024},  // VD100  C37 H1
    {75, 7, 1024},  // VD101  C37 H1
    {0, 0, 0},
};

constexpr SeriesRow kMus2Rows[] = {
    {55, 6, 1024},  // MUS200  C27 H1
    {55, 8, 1536},  // MUS201  C27 H1
    {56, 6, 2048},  // MUS202  C28 H0
    {56, 2, 2048},  // MUS203  C28 H0
    {56, 8, 2048},  // MUS204  C28 H0
    {0, 0, 0},
};

constexpr SeriesRow kVd2Rows[] = {
    {54, 9, 1024},  // VD200  C27 H0
    {55, 2, 1024},  // VD201  C27 H1
    {55, 4, 1024},  // VD202  C27 H1
    {0, 0, 0},
};

constexpr SeriesRow kMus3Rows[] = {
    {75, 6, 2048},  // MUS300  C37 H1
    {76, 2, 512},   // MUS301  C38 H0
    {76, 3, 512},   // MUS302  C38 H0
    {76, 4, 2048},  // MUS303  C38 H0
    {0, 0, 0},
};

constexpr SeriesRow kMus4Rows[] = {
    {56, 7, 2048},  // MUS400  C28 H0
    {55, 4, 2560},  // MUS401  C27 H1
    {53, 4, 1536},  // MUS402  C26 H1
    {52, 9, 1024},  // MUS403  C26 H0
    {53, 9, 2048},  // MUS404  C26 H1
    {57, 4, 2048},  // MUS405  C28 H1
    {58, 2, 1536},  // MUS406  C29 H0
    {58, 5, 2048},  // MUS407  C29 H0
    {55, 8, 512},   // MUS408  C27 H1
    {55, 9, 512},   // MUS409  C27 H1
    {58, 1, 512},   // MUS410  C29 H0
    {56, 4, 512},   // MUS411  C28 H0
    {60, 7, 1024},  // MUS412  C30 H0
    {54, 4, 1536},  // MUS413  C27 H0
    {59, 7, 2048},  // MUS414  C29 H1
    {56, 5, 1024},  // MUS415  C28 H0
    {60, 6, 512},   // MUS416  C30 H0
    {54, 9, 2048},  // MUS417  C27 H0
    {58, 9, 2048},  // MUS418  C29 H0
    {59, 4, 1536},  // MUS419  C29 H1
    {60, 2, 2048},  // MUS420  C30 H0
    {56, 3, 512},   // MUS421  C28 H0
    {0, 0, 0},
};

constexpr SeriesRow kVd4Rows[] = {
    {53, 2, 1024},  // VD400  C26 H1
    {53, 7, 1024},  // VD401  C26 H1
    {54, 7, 1024},  // VD402  C27 H0
    {56, 1, 1024},  // VD403  C28 H0
    {57, 2, 1024},  // VD404  C28 H1
    {57, 8, 1024},  // VD405  C28 H1
    {60, 9, 1024},  // VD406  C30 H0
    {0, 0, 0},
};

constexpr SeriesRow kMus6Rows[] = {
    {71, 8, 1536},  // MUS600  C35 H1
    {73, 3, 2048},  // MUS601  C36 H1
    {72, 7, 1536},  // MUS602  C36 H0
    {73, 7, 1536},  // MUS603  C36 H1
    {74, 1, 1536},  // MUS604  C37 H0
    {74, 6, 2048},  // MUS605  C37 H0
    {72, 4, 512},   // MUS606  C36 H0
    {0, 0, 0},
};

constexpr SeriesRow kVd6Rows[] = {
    {72, 5, 1024},  // VD600  C36 H0
    {0, 0, 0},
};

constexpr FileSeries kMus1 = {"MUS1%02d", kMus1Rows};
constexpr FileSeries kVd1 = {"VD1%02d", kVd1Rows};
constexpr FileSeries kMus2 = {"MUS2%02d", kMus2Rows};
constexpr FileSeries kVd2 = {"VD2%02d", kVd2Rows};
constexpr FileSeries kMus3 = {"MUS3%02d", kMus3Rows};
constexpr FileSeries kMus4 = {"MUS4%02d", kMus4Rows};
constexpr FileSeries kVd4 = {"VD4%02d", kVd4Rows};
constexpr FileSeries kMus6 = {"MUS6%02d", kMus6Rows};
constexpr FileSeries kVd6 = {"VD6%02d", kVd6Rows};

// KSD.COM: sectors 6..9 of track 8, sector 1 of track 9 and the first 92
// bytes of its sector 2.
constexpr SingleFile kKsdCom = {"KSD.COM", 8, 4, 0, 6, 2652};

// The boot-sector digit is the disk number. The four named disks' messages
// have no space before the Japanese text "を認識しました." (Shift-JIS); the
// Disk 5 and Disk 6 messages have one.
constexpr DiskRecipe kRecipes[] = {
    {'1',
     "Disk 1 (Demo Disk 1)" RECOGNISED_SJIS ".\n",
     {{&kKsdCom, nullptr}, {nullptr, &kMus1}, {nullptr, &kVd1}}},
    {'2',
     "Disk 2 (Demo Disk 2)" RECOGNISED_SJIS ".\n",
     {{nullptr, &kMus2}, {nullptr, &kVd2}}},
    {'3',
     "Disk 3 (Demo Disk 3)" RECOGNISED_SJIS ".\n",
     {{nullptr, &kMus3}}},
    {'4',
     "Disk 4 (Program Disk)" RECOGNISED_SJIS ".\n",
     {{nullptr, &kMus4}, {nullptr, &kVd4}}},
    {'5',
     "Disk 5 " RECOGNISED_SJIS ".\n",
     {}},
    {'6',
     "Disk 6 " RECOGNISED_SJIS ".\n",
     {{nullptr, &kMus6}, {nullptr, &kVd6}}},
};

}  // namespace

const TitleProfile kVoskProfile = {
    "Vosk_No",  // signature
    "Vosk_UD",  // user signature
    {1, 9, 2},  // sectors 1 to 9 of 512 bytes on every track side
    kRecipes,
    static_cast<int>(std::size(kRecipes)),
    "voskrip",
    "Vosk",
};
