// Preimage counts of maps whose counts are known: folds and a cusp, grids whose edges run
// through pixel centres, invalid vertices, bands, poles, hostile triangulations and stopping.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <complex>
#include <functional>
#include <thread>
#include <vector>

#include "curves/PreimageCount.h"

namespace {

// A grid placed straight in raster coordinates: vertex (A, B) at Place(A, B).
MappedTriangulation PlaceGrid(int N, const std::function<Point2(int, int)>& Place) {
    MappedTriangulation T;
    T.Resize(N, N);
    for (int A = 0; A <= N; ++A) {
        for (int B = 0; B <= N; ++B) {
            T.Vertices[T.Index(A, B)] = Place(A, B);
            T.Valid[T.Index(A, B)] = 1;
        }
    }
    return T;
}

// The grid over the domain [-1, 1]^2 mapped by Map into the plane seen through R.
MappedTriangulation MapGrid(int N, const PlaneRaster& R, const std::function<Point2(Point2)>& Map) {
    return PlaceGrid(N, [&](int A, int B) {
        return R.ToRaster(Map({-1 + 2.0 * A / N, -1 + 2.0 * B / N}));
    });
}

// Compares the counts with Expected (the exact count of a plane point, -1 where unknown) at
// every pixel centre where Expected is the same over the disc of 2 pixels about it, sampled
// at the centre and on circles of 1 and 2 pixels. Returns how many centres had each count.
std::vector<int> ExpectStableCounts(const PreimageCounts& C, const PlaneRaster& R,
                                    const std::function<int(Point2)>& Expected) {
    std::vector<int> Checked(8, 0);
    int Wrong = 0;
    for (int J = 0; J < C.Height; ++J) {
        for (int I = 0; I < C.Width; ++I) {
            const Point2 P = R.PixelCentre(I, J);
            const int E = Expected(P);
            bool Stable = E >= 0;
            for (int K = 0; K < 32 && Stable; ++K) {
                const double Radius = K < 16 ? 2 : 1, Angle = K * M_PI / 8;
                const Point2 Q{P.X + Radius * std::cos(Angle) / R.ScaleX,
                               P.Y + Radius * std::sin(Angle) / R.ScaleY};
                Stable = Expected(Q) == E;
            }
            if (!Stable) continue;
            ++Checked[static_cast<size_t>(E)];
            if (C.At(I, J) != E && ++Wrong <= 5)
                ADD_FAILURE() << "pixel (" << I << ", " << J << ") at (" << P.X << ", " << P.Y
                              << ") counts " << C.At(I, J) << ", expected " << E;
        }
    }
    EXPECT_EQ(Wrong, 0);
    return Checked;
}

PreimageCounts Count(const MappedTriangulation& T, int W, int H,
                     const PreimageLimits& Limits = {}) {
    PreimageCounts C;
    CountPreimages(T, W, H, C, nullptr, Limits);
    return C;
}

// x = u^3 + u v, y = v over [-1, 1]^2: for a given y the preimages are the roots in [-1, 1] of
// u^3 + y u - x. The cubic has three real roots where 4 y^3 + 27 x^2 < 0 and one where it is
// positive; u^3 + y u is -(1 + y) at u = -1 and 1 + y at u = 1, and outside the two extrema
// it increases, so all roots lie in [-1, 1] exactly when |x| < 1 + y. Elsewhere (some roots
// outside the domain) the count is left unchecked.
Point2 Cusp(Point2 P) { return {P.X * P.X * P.X + P.X * P.Y, P.Y}; }
int CuspCount(Point2 P) {
    if (!(std::fabs(P.X) < 1 + P.Y) || P.Y >= 1) return -1;
    return 27 * P.X * P.X + 4 * P.Y * P.Y * P.Y < 0 ? 3 : 1;
}

TEST(PreimageCount, FoldAndCuspCountTheirSheets) {
    // x = u, y = v^2: two preimages above the fold y = 0, none below it or beside the image.
    const PlaneRaster FoldRaster({-1.2, -1.2}, {1.2, 1.2}, 120, 120);
    const auto Fold = Count(MapGrid(200, FoldRaster,
                                    [](Point2 P) {
                                        return Point2{P.X, P.Y * P.Y};
                                    }),
                            120, 120);
    EXPECT_TRUE(Fold.Complete);
    EXPECT_EQ(Fold.DroppedTriangles, 0);
    std::vector<int> Seen = ExpectStableCounts(Fold, FoldRaster, [](Point2 P) {
        if (P.Y < 0 || std::fabs(P.X) > 1 || P.Y > 1) return 0;
        return 2;
    });
    EXPECT_GT(Seen[2], 2000);
    EXPECT_GT(Seen[0], 5000);

    const PlaneRaster CuspRaster({-2.2, -1.2}, {2.2, 1.2}, 352, 192);
    const PreimageCounts C = Count(MapGrid(200, CuspRaster, Cusp), 352, 192);
    EXPECT_TRUE(C.Complete);
    Seen = ExpectStableCounts(C, CuspRaster, CuspCount);
    EXPECT_GT(Seen[3], 500);
    EXPECT_GT(Seen[1], 10000);
}

// A view zoomed in on a coarse grid: triangles some 20 pixels across, their edges crossing
// many rows at slopes of no simple ratio. x = u, y = v^2 interpolated on the triangles is
// v^2 interpolated along v (v = 0 is a grid line), so the image and its two sheets are those of
// the map itself; the whole image is turned by 0.3 radians.
TEST(PreimageCount, LargeTrianglesOfAZoomedViewCount) {
    const double C = std::cos(0.3), S = std::sin(0.3);
    const PlaneRaster R({-1.5, -1.5}, {1.5, 1.5}, 200, 200);
    const auto Turned = [&](Point2 P) {
        const double Y = P.Y * P.Y - 0.5;
        return Point2{C * P.X - S * Y, S * P.X + C * Y};
    };
    const PreimageCounts Counts = Count(MapGrid(6, R, Turned), 200, 200);
    EXPECT_TRUE(Counts.Complete);
    const std::vector<int> Seen = ExpectStableCounts(Counts, R, [&](Point2 W) {
        const double X = C * W.X + S * W.Y, Y = -S * W.X + C * W.Y + 0.5;
        return std::fabs(X) < 1 && Y > 0 && Y < 1 ? 2 : 0;
    });
    EXPECT_GT(Seen[2], 5000);
    EXPECT_GT(Seen[0], 5000);
}

// The square [4.5, 34.5]^2 of a 40 x 40 raster, its vertices on pixel centres, so that its
// edges (the diagonals too) run through centres: pixel centres are counted as the point just
// right of and below them, hence once inside and on shared edges, and on the outline along
// the left and top sides only.
TEST(PreimageCount, EdgesThroughPixelCentresCountOnce) {
    const double Steps[] = {0.5, 1, 2, 3};
    for (double Step : Steps) {
        const int N = static_cast<int>(30 / Step);
        for (int Placement = 0; Placement < 8; ++Placement) {
            const bool MirrorX = Placement & 1, MirrorY = Placement & 2, Swap = Placement & 4;
            const MappedTriangulation T = PlaceGrid(N, [&](int A, int B) {
                double X = 4.5 + Step * (MirrorX ? N - A : A);
                double Y = 4.5 + Step * (MirrorY ? N - B : B);
                if (Swap) std::swap(X, Y);
                return Point2{X, Y};
            });
            const PreimageCounts C = Count(T, 40, 40);
            int Wrong = 0;
            for (int J = 0; J < 40; ++J)
                for (int I = 0; I < 40; ++I)
                    Wrong += C.At(I, J) != (I >= 4 && I < 34 && J >= 4 && J < 34 ? 1 : 0);
            EXPECT_EQ(Wrong, 0) << "step " << Step << ", placement " << Placement;
        }
    }
}

// Both orientations count. A grid folded along a line of pixel centres has two sheets on one
// side of that line: the centres on it count twice when that side is below or right of the
// line, and not at all when it is above.
TEST(PreimageCount, FoldThroughPixelCentresCountsAsThePointBesideIt) {
    // Folded along y = 4.5 (the sheets below it), y = 14.5 (above it), x = 4.5, x = 14.5.
    for (int K = 0; K < 4; ++K) {
        const auto Place = [K](int A, int B) {
            const double Along = 4.5 + A, Fold = std::abs(B - 10);
            const double Across = K % 2 ? 14.5 - Fold : 4.5 + Fold;
            return K < 2 ? Point2{Along, Across} : Point2{Across, Along};
        };
        const PreimageCounts C = Count(PlaceGrid(20, Place), 30, 30);
        int Wrong = 0;
        for (int J = 0; J < 30; ++J) {
            for (int I = 0; I < 30; ++I) {
                const int Along = K < 2 ? I : J, Across = K < 2 ? J : I;
                Wrong +=
                    C.At(I, J) != (Along >= 4 && Along < 24 && Across >= 4 && Across < 14 ? 2 : 0);
            }
        }
        EXPECT_EQ(Wrong, 0) << "fold " << K;
    }
}

TEST(PreimageCount, UnusableAndFlatTrianglesCountNothing) {
    // Vertices 4 pixels apart on centres over [4.5, 36.5]^2; vertex (4, 4) sits on (20, 20).
    const auto Square = [](int A, int B) { return Point2{4.5 + 4 * A, 4.5 + 4 * B}; };
    for (int Fault = 0; Fault < 3; ++Fault) {
        MappedTriangulation T = PlaceGrid(8, Square);
        const size_t V = T.Index(4, 4);
        if (Fault == 0) T.Valid[V] = 0;
        if (Fault == 1) T.Vertices[V].X = NAN;
        if (Fault == 2) T.Vertices[V].Y = INFINITY;
        const PreimageCounts C = Count(T, 40, 40);
        EXPECT_TRUE(C.Complete);
        // Not dropped for their size either: they have none.
        EXPECT_EQ(C.DroppedTriangles, 0);
        // The six triangles about the vertex are gone, those beyond them still count once.
        EXPECT_EQ(C.At(20, 20), 0) << "fault " << Fault;
        EXPECT_EQ(C.At(19, 20) + C.At(21, 20) + C.At(20, 19) + C.At(20, 21), 0);
        for (int J = 4; J < 36; ++J) {
            for (int I = 4; I < 36; ++I) {
                if (std::max(std::abs(I - 20), std::abs(J - 20)) > 4) {
                    EXPECT_EQ(C.At(I, J), 1) << "pixel (" << I << ", " << J << ")";
                }
            }
        }
    }
    // A constant map and a map onto a line of pixel centres cover no point.
    const auto Flat = [](const std::function<Point2(int, int)>& Place) {
        const PreimageCounts C = Count(PlaceGrid(16, Place), 40, 40);
        int Covered = 0;
        for (uint16_t N : C.Counts) Covered += N;
        return Covered;
    };
    EXPECT_EQ(Flat([](int, int) { return Point2{20.5, 20.5}; }), 0);
    EXPECT_EQ(Flat([](int A, int) { return Point2{4.5 + 2 * A, 20.5}; }), 0);
    EXPECT_EQ(Flat([](int A, int B) { return Point2{4.5 + A + B, 4.5 + A + B}; }), 0);
}

TEST(PreimageCount, BandsOnThreadsMakeTheWholeRaster) {
    const PlaneRaster R({-2.2, -1.2}, {2.2, 1.2}, 150, 97);
    const MappedTriangulation T = MapGrid(150, R, Cusp);
    const PreimageCounts Whole = Count(T, 150, 97);
    for (int Bands : {1, 2, 3, 7}) {
        PreimageCounts C;
        C.Reset(150, 97);
        // Rows left from an earlier raster must not stay in the counts.
        std::fill(C.Counts.begin(), C.Counts.end(), uint16_t{9});
        std::vector<PreimageBandReport> Reports(static_cast<size_t>(Bands));
        std::vector<std::thread> Threads;
        for (int K = 0; K < Bands; ++K) {
            const int First = K * 97 / Bands, End = (K + 1) * 97 / Bands;
            Threads.emplace_back([&, K, First, End] {
                Reports[static_cast<size_t>(K)] =
                    CountPreimageRows(T, 150, 97, First, End, C.Rows(First, End));
            });
        }
        for (std::thread& Thread : Threads) Thread.join();
        for (const PreimageBandReport& Report : Reports) C.Add(Report);
        EXPECT_TRUE(C.Complete);
        EXPECT_EQ(C.Counts, Whole.Counts) << Bands << " bands";
    }
}

// w = 1/z, z = u + i v, with the pole inside a square of the grid: the triangles about it
// join vertices thousands of pixels apart across the raster; they are dropped, reported once
// each, and the counts elsewhere are those of the map.
TEST(PreimageCount, TrianglesAcrossAPoleAreDropped) {
    const PlaneRaster R({-3, -3}, {3, 3}, 120, 120);
    const auto Inverse = [](Point2 P) {
        const std::complex<double> W = 1.0 / std::complex<double>(P.X, P.Y);
        return Point2{W.real(), W.imag()};
    };
    const MappedTriangulation T = MapGrid(401, R, Inverse);
    const PreimageCounts C = Count(T, 120, 120);
    EXPECT_TRUE(C.Complete);
    EXPECT_GT(C.DroppedTriangles, 0);
    EXPECT_LT(C.DroppedTriangles, 20);
    const std::vector<int> Seen = ExpectStableCounts(C, R, [](Point2 W) {
        const std::complex<double> Z = 1.0 / std::complex<double>(W.X, W.Y);
        return std::fabs(Z.real()) < 1 && std::fabs(Z.imag()) < 1 ? 1 : 0;
    });
    EXPECT_GT(Seen[0], 100);
    EXPECT_GT(Seen[1], 5000);
    EXPECT_EQ(C.At(60, 60), 0);

    // Every band reports what it dropped over its own top rows only.
    PreimageCounts Banded;
    Banded.Reset(120, 120);
    for (int First = 0; First < 120; First += 13) {
        const int End = std::min(First + 13, 120);
        Banded.Add(CountPreimageRows(T, 120, 120, First, End, Banded.Rows(First, End)));
    }
    EXPECT_EQ(Banded.DroppedTriangles, C.DroppedTriangles);
    EXPECT_EQ(Banded.Counts, C.Counts);
}

// Vertices scattered over the whole raster: every triangle is as large as the raster allows.
MappedTriangulation Scattered(int N, int Size) {
    uint32_t Seed = 12345;
    const auto Next = [&Seed, Size] {
        Seed = Seed * 1664525u + 1013904223u;
        return (Seed >> 8) % (static_cast<uint32_t>(Size) * 256) / 256.0;
    };
    return PlaceGrid(N, [&](int, int) { return Point2{Next(), Next()}; });
}

TEST(PreimageCount, HostileTriangulationsEndWithinTheirBudget) {
    const MappedTriangulation T = Scattered(400, 460);
    PreimageCounts C;
    C.Reset(460, 460);
    PreimageBandReport Report = CountPreimageRows(T, 460, 460, 0, 460, C.Rows(0, 460));
    EXPECT_FALSE(Report.Complete);
    EXPECT_FALSE(Report.Stopped);
    // The budget, overstepped by the rows of one edge at most.
    EXPECT_GT(Report.Crossings, 16LL * 460 * 460);
    EXPECT_LE(Report.Crossings, 16LL * 460 * 460 + 460);

    // A smaller span drops the scattered triangles instead, and the count is complete.
    PreimageLimits Small;
    Small.MaxSpan = 8;
    Report = CountPreimageRows(T, 460, 460, 0, 460, C.Rows(0, 460), nullptr, Small);
    EXPECT_TRUE(Report.Complete);
    EXPECT_GT(Report.DroppedTriangles, 300000);

    // Counts saturate instead of wrapping: 2 x 200^2 triangles, each about pixel (5, 5).
    const MappedTriangulation Stack = PlaceGrid(200, [](int A, int B) {
        const Point2 Corners[3] = {{4, 4}, {7, 5}, {5, 7}};
        return Corners[(A + B) % 3];
    });
    const PreimageCounts Deep = Count(Stack, 256, 256);
    EXPECT_TRUE(Deep.Complete);
    EXPECT_EQ(Deep.At(5, 5), UINT16_MAX);
    EXPECT_EQ(Deep.At(20, 20), 0);
}

TEST(PreimageCount, StopRequestEndsTheCount) {
    const MappedTriangulation T = Scattered(400, 460);
    PreimageLimits NoBudget;
    NoBudget.CrossingsPerPixel = INT_MAX;
    PreimageCounts C;
    C.Reset(460, 460);

    std::atomic<bool> Stop{true};
    PreimageBandReport Report = CountPreimageRows(T, 460, 460, 0, 460, C.Rows(0, 460), &Stop);
    EXPECT_TRUE(Report.Stopped);
    EXPECT_FALSE(Report.Complete);
    EXPECT_EQ(Report.Crossings, 0);

    // Unstopped, this count would take a second or more.
    Stop = false;
    std::chrono::steady_clock::time_point Requested;
    std::thread Stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Requested = std::chrono::steady_clock::now();
        Stop = true;
    });
    Report = CountPreimageRows(T, 460, 460, 0, 460, C.Rows(0, 460), &Stop, NoBudget);
    const auto Ended = std::chrono::steady_clock::now();
    Stopper.join();
    EXPECT_TRUE(Report.Stopped);
    EXPECT_FALSE(Report.Complete);
    EXPECT_LT(std::chrono::duration<double>(Ended - Requested).count(), 0.25);
}

TEST(PreimageCount, InputThatDoesNotFitCountsNothing) {
    MappedTriangulation T = PlaceGrid(4, [](int A, int B) { return Point2{1.0 * A, 1.0 * B}; });
    PreimageCounts C;
    C.Reset(8, 8);
    const auto Bad = [&](const MappedTriangulation& M, int W, int H, int First, int End,
                         std::span<uint16_t> Rows) {
        return CountPreimageRows(M, W, H, First, End, Rows).BadInput;
    };
    EXPECT_FALSE(Bad(T, 8, 8, 0, 8, C.Rows(0, 8)));
    EXPECT_TRUE(Bad(T, 8, 8, 0, 8, C.Rows(0, 7)));
    EXPECT_TRUE(Bad(T, 8, 8, 2, 1, C.Rows(0, 0)));
    EXPECT_TRUE(Bad(T, 8, 8, 0, 9, C.Rows(0, 8)));
    EXPECT_TRUE(Bad(T, 0, 8, 0, 8, {}));
    EXPECT_TRUE(C.Rows(0, 9).empty());
    MappedTriangulation Short = T;
    Short.Valid.pop_back();
    EXPECT_TRUE(Bad(Short, 8, 8, 0, 8, C.Rows(0, 8)));
    MappedTriangulation Empty;
    EXPECT_TRUE(Bad(Empty, 8, 8, 0, 8, C.Rows(0, 8)));
    // A raster too large for the exact tests gets neither memory nor counts.
    CountPreimages(T, MaxPreimageRaster + 1, 8, C);
    EXPECT_FALSE(C.Complete);
    EXPECT_TRUE(C.Counts.empty());
}

TEST(PreimageCount, PlaneRasterPutsRowZeroAtTheTop) {
    const PlaneRaster R({-1, 2}, {3, 4}, 8, 4);
    const Point2 TopLeft = R.ToRaster({-1, 4}), BottomRight = R.ToRaster({3, 2});
    EXPECT_EQ(TopLeft.X, 0);
    EXPECT_EQ(TopLeft.Y, 0);
    EXPECT_EQ(BottomRight.X, 8);
    EXPECT_EQ(BottomRight.Y, 4);
    const Point2 Centre = R.PixelCentre(7, 0);
    EXPECT_DOUBLE_EQ(Centre.X, 2.75);
    EXPECT_DOUBLE_EQ(Centre.Y, 3.75);
}

}  // namespace
