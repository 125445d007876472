#include "Outline.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>

namespace velmora::print::micr65 {
namespace {

// Glyph coordinates are grid units (a few dozen at most, in steps of half a unit); this tolerance is
// far below any real distance between features and far above rounding noise.
constexpr double kEps = 1e-9;
// How far beside an edge the union test looks for ink.
constexpr double kProbe = 1e-4;

Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
Vec operator*(Vec a, double k) {
    return {a.x * k, a.y * k};
}
double cross(Vec a, Vec b) {
    return a.x * b.y - a.y * b.x;
}
double dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y;
}
bool samePoint(Vec a, Vec b) {
    return std::abs(a.x - b.x) < kEps && std::abs(a.y - b.y) < kEps;
}

Polygon clockwise(Polygon polygon) {
    if (doubledArea(polygon) > 0)
        std::reverse(polygon.begin(), polygon.end());
    return polygon;
}

// Strictly inside a clockwise convex polygon: strictly right of every edge.
bool strictlyInside(const Polygon& polygon, Vec p) {
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vec a = polygon[i];
        const Vec b = polygon[(i + 1) % polygon.size()];
        if (cross(b - a, p - a) > -kEps)
            return false;
    }
    return true;
}

// Parameters along edge a-b where the edge c-d meets or overlaps it.
void addCuts(Vec a, Vec b, Vec c, Vec d, std::vector<double>& cuts) {
    const Vec r = b - a;
    const Vec s = d - c;
    const double len2 = dot(r, r);
    const double denom = cross(r, s);
    if (std::abs(denom) < kEps) {
        if (std::abs(cross(r, c - a)) > kEps * std::sqrt(len2))
            return; // parallel, not collinear
        for (Vec q : {c, d}) {
            const double t = dot(q - a, r) / len2;
            if (t > 0 && t < 1)
                cuts.push_back(t);
        }
        return;
    }
    const double t = cross(c - a, s) / denom;
    const double u = cross(c - a, r) / denom;
    if (t > 0 && t < 1 && u > -kEps && u < 1 + kEps)
        cuts.push_back(t);
}

struct Segment {
    Vec from;
    Vec to;
    bool used = false;
};

// Angle of the turn from direction in to direction out, in (-pi, pi]; negative turns right.
double turn(Vec in, Vec out) {
    return std::atan2(cross(in, out), dot(in, out));
}

Polygon withoutCollinearPoints(const Polygon& contour) {
    Polygon out;
    for (std::size_t i = 0; i < contour.size(); ++i) {
        const Vec prev = contour[(i + contour.size() - 1) % contour.size()];
        const Vec here = contour[i];
        const Vec next = contour[(i + 1) % contour.size()];
        const Vec in = here - prev;
        const Vec onward = next - here;
        if (std::abs(cross(in, onward)) < kEps && dot(in, onward) > 0)
            continue;
        out.push_back(here);
    }
    return out;
}

} // namespace

double doubledArea(const Polygon& polygon) {
    double sum = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i)
        sum += cross(polygon[i], polygon[(i + 1) % polygon.size()]);
    return sum;
}

int windingNumber(const std::vector<Polygon>& contours, Vec p) {
    int winding = 0;
    for (const Polygon& contour : contours) {
        for (std::size_t i = 0; i < contour.size(); ++i) {
            const Vec a = contour[i];
            const Vec b = contour[(i + 1) % contour.size()];
            if (a.y <= p.y && b.y > p.y && cross(b - a, p - a) > 0)
                ++winding;
            else if (a.y > p.y && b.y <= p.y && cross(b - a, p - a) < 0)
                --winding;
        }
    }
    return winding;
}

std::vector<Polygon> unionOutline(const std::vector<Polygon>& convexPieces) {
    std::vector<Polygon> pieces;
    for (const Polygon& piece : convexPieces) {
        if (piece.size() < 3 || std::abs(doubledArea(piece)) < kEps)
            throw std::invalid_argument("degenerate glyph piece");
        pieces.push_back(clockwise(piece));
    }

    // Cut every edge wherever another piece's edge touches it, then keep the bits that have ink on
    // their right (their own piece) and none on their left (no other piece covers them).
    std::vector<Segment> kept;
    for (std::size_t p = 0; p < pieces.size(); ++p) {
        const Polygon& piece = pieces[p];
        for (std::size_t i = 0; i < piece.size(); ++i) {
            const Vec a = piece[i];
            const Vec b = piece[(i + 1) % piece.size()];
            std::vector<double> cuts{0.0, 1.0};
            for (std::size_t q = 0; q < pieces.size(); ++q) {
                if (q == p)
                    continue;
                for (std::size_t j = 0; j < pieces[q].size(); ++j)
                    addCuts(a, b, pieces[q][j], pieces[q][(j + 1) % pieces[q].size()], cuts);
            }
            std::sort(cuts.begin(), cuts.end());
            const Vec dir = b - a;
            const double length = std::sqrt(dot(dir, dir));
            const Vec leftNormal = Vec{-dir.y, dir.x} * (1.0 / length);
            for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
                if (cuts[k + 1] - cuts[k] < kEps)
                    continue;
                const Vec from = a + dir * cuts[k];
                const Vec to = a + dir * cuts[k + 1];
                const Vec probe = (from + to) * 0.5 + leftNormal * kProbe;
                const bool covered = std::any_of(pieces.begin(), pieces.end(), [&](const Polygon& other) {
                    return strictlyInside(other, probe);
                });
                const bool duplicate = std::any_of(kept.begin(), kept.end(), [&](const Segment& s) {
                    return samePoint(s.from, from) && samePoint(s.to, to);
                });
                if (!covered && !duplicate)
                    kept.push_back({from, to});
            }
        }
    }

    // Chain the kept bits into closed contours. Where two contours touch at a corner, the sharpest
    // right turn keeps them apart.
    std::vector<Polygon> contours;
    for (Segment& start : kept) {
        if (start.used)
            continue;
        Polygon contour;
        Segment* current = &start;
        while (true) {
            current->used = true;
            contour.push_back(current->from);
            if (samePoint(current->to, start.from))
                break;
            Segment* next = nullptr;
            double bestTurn = 0;
            for (Segment& candidate : kept) {
                if (candidate.used || !samePoint(candidate.from, current->to))
                    continue;
                const double t = turn(current->to - current->from, candidate.to - candidate.from);
                if (next == nullptr || t < bestTurn) {
                    next = &candidate;
                    bestTurn = t;
                }
            }
            if (next == nullptr)
                throw std::runtime_error("glyph outline does not close");
            current = next;
        }
        contours.push_back(withoutCollinearPoints(contour));
    }
    return contours;
}

std::vector<CurvePoint> roundConvexCorners(const Polygon& contour, double radius) {
    std::vector<CurvePoint> out;
    auto addOnCurve = [&out](Vec p) {
        if (out.empty() || !out.back().onCurve || !samePoint(out.back().at, p))
            out.push_back({p, true});
    };
    const std::size_t n = contour.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Vec prev = contour[(i + n - 1) % n];
        const Vec here = contour[i];
        const Vec next = contour[(i + 1) % n];
        const Vec in = here - prev;
        const Vec onward = next - here;
        if (cross(in, onward) >= 0) {
            addOnCurve(here);
            continue;
        }
        const double inLength = std::sqrt(dot(in, in));
        const double onwardLength = std::sqrt(dot(onward, onward));
        addOnCurve(here - in * (std::min(radius, inLength / 2) / inLength));
        out.push_back({here, false});
        addOnCurve(here + onward * (std::min(radius, onwardLength / 2) / onwardLength));
    }
    if (out.size() > 1 && out.front().onCurve && out.back().onCurve &&
        samePoint(out.front().at, out.back().at))
        out.pop_back();
    return out;
}

} // namespace velmora::print::micr65
