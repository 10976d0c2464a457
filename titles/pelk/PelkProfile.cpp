#include "titles/pelk/PelkProfile.h"

#include <iterator>

namespace {

// Series tables: one row per file, in name order. Each row is the track
// index, the first sector number R and the byte count; the comment gives
// the file name and the C/H that the track index stands for. Every cut
// reads 512-byte sectors (size code 2) from the start of its first sector.

constexpr SeriesRow kMus1Rows[] = {
    // track  R  bytes
    {72, 4, 512},   // MUS100  C36 H0
    {72, 5, 2048},  // MUS101  C36 H0
    {55, 9, 2048},  // MUS102  C27 H1, runs on into track 56
    {72, 9, 1536},  // MUS103  C36 H0
    {74, 2, 512},   // MUS104  C37 H0
    {74, 3, 2048},  // MUS105  C37 H0
    {74, 7, 2048},  // MUS106  C37 H0
    {75, 2, 1024},  // MUS107  C37 H1
    {75, 6, 512},   // MUS108  C37 H1
    {75, 7, 512},   // MUS109  C37 H1
    {0, 0, 0},
};

constexpr SeriesRow kVd1Rows[] = {
    {56, 4, 1024},  // VD100  C28 H0
    {72, 2, 1024},  // VD101  C36 H0
    {75, 4, 1024},  // VD102  C37 H1
    {0, 0, 0},
};

constexpr SeriesRow kMus3Rows[] = {
    {53, 5, 1024},  // MUS300  C26 H1
    {54, 9, 512},   // MUS301  C27 H0
    {53, 8, 512},   // MUS302  C26 H1
    {54, 2, 1536},  // MUS303  C27 H0
    {54, 7, 1536},  // MUS304  C27 H0
    {53, 9, 1024},  // MUS305  C26 H1
    {52, 8, 512},   // MUS306  C26 H0
    {52, 9, 512},   // MUS307  C26 H0
    {53, 1, 1024},  // MUS308  C26 H1
    {52, 3, 1536},  // MUS309  C26 H0
    {53, 7, 512},   // MUS310  C26 H1
    {0, 0, 0},
};

constexpr SeriesRow kVd3Rows[] = {
    {52, 6, 1024},  // VD300  C26 H0
    {53, 3, 1024},  // VD301  C26 H1
    {54, 5, 1024},  // VD302  C27 H0
    {0, 0, 0},
};

constexpr SeriesRow kMus4Rows[] = {
    {65, 7, 2048},  // MUS400  C32 H1
    {66, 5, 512},   // MUS401  C33 H0
    {66, 6, 1536},  // MUS402  C33 H0
    {65, 4, 512},   // MUS403  C32 H1
    {66, 4, 512},   // MUS404  C33 H0
    {0, 0, 0},
};

constexpr SeriesRow kMus5Rows[] = {
    {73, 5, 1024},  // MUS500  C36 H1
    {73, 9, 1536},  // MUS501  C36 H1
    {73, 2, 512},   // MUS502  C36 H1
    {74, 3, 1536},  // MUS503  C37 H0
    {74, 6, 1536},  // MUS504  C37 H0
    {74, 9, 512},   // MUS505  C37 H0
    {75, 1, 512},   // MUS506  C37 H1
    {75, 2, 1024},  // MUS507  C37 H1
    {0, 0, 0},
};

constexpr SeriesRow kMus6Rows[] = {
    {76, 8, 2048},  // MUS600  C38 H0
    {77, 2, 512},   // MUS601  C38 H1
    {77, 3, 2048},  // MUS602  C38 H1
    {0, 0, 0},
};

constexpr SeriesRow kMus7Rows[] = {
    {69, 2, 512},   // MUS700  C34 H1
    {71, 9, 1536},  // MUS701  C35 H1
    {72, 8, 1024},  // MUS702  C36 H0
    {69, 5, 1024},  // MUS703  C34 H1
    {70, 3, 1536},  // MUS704  C35 H0
    {70, 8, 1024},  // MUS705  C35 H0
    {69, 8, 1024},  // MUS706  C34 H1
    {71, 1, 1536},  // MUS707  C35 H1
    {70, 6, 1024},  // MUS708  C35 H0
    {72, 3, 512},   // MUS709  C36 H0
    {72, 4, 2048},  // MUS710  C36 H0
    {0, 0, 0},
};

constexpr FileSeries kMus1 = {"MUS1%02d", kMus1Rows};
constexpr FileSeries kVd1 = {"VD1%02d", kVd1Rows};
constexpr FileSeries kMus3 = {"MUS3%02d", kMus3Rows};
constexpr FileSeries kVd3 = {"VD3%02d", kVd3Rows};
constexpr FileSeries kMus4 = {"MUS4%02d", kMus4Rows};
constexpr FileSeries kMus5 = {"MUS5%02d", kMus5Rows};
constexpr FileSeries kMus6 = {"MUS6%02d", kMus6Rows};
constexpr FileSeries kMus7 = {"MUS7%02d", kMus7Rows};

// KSD.COM: sectors 5..9 of track 12.
constexpr SingleFile kKsdCom = {"KSD.COM", 12, 6, 0, 5, 2560};

// The boot-sector digit is not the disk number: "1" is Disk 3, and "8" and
// "9" are Disks 1 and 2. Each message is "Disk N を認識しました.\n" with the
// Japanese part in Shift-JIS.
constexpr DiskRecipe kRecipes[] = {
    {'8',
     "Disk 1 " RECOGNISED_SJIS ".\n",
     {{nullptr, &kMus1}, {nullptr, &kVd1}}},
    {'9',
     "Disk 2 " RECOGNISED_SJIS ".\n",
     {}},
    {'1',
     "Disk 3 " RECOGNISED_SJIS ".\n",
     {{&kKsdCom, nullptr}, {nullptr, &kMus3}, {nullptr, &kVd3}}},
    {'2',
     "Disk 4 " RECOGNISED_SJIS ".\n",
     {{nullptr, &kMus4}}},
    {'3',
     "Disk 5 " RECOGNISED_SJIS ".\n",
     {{nullptr, &kMus5}}},
    {'4',
     "Disk 6 " RECOGNISED_SJIS ".\n",
     {{nullptr, &kMus6}}},
    {'5',
     "Disk 7 " RECOGNISED_SJIS ".\n",
     {{nullptr, &kMus7}}},
};

}  // namespace

const TitleProfile kPelkProfile = {
    "Pelk_No",  // signature
    "Pelk_UD",  // user signature
    {1, 9, 2},  // sectors 1 to 9 of 512 bytes on every track side
    kRecipes,
    static_cast<int>(std::size(kRecipes)),
    "pelkrip",
    "Pelk",
};
