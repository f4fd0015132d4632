#pragma once
// Where the main window opens: the position, size and state stored at the
// end of the previous run, kept on a visible work area. Positions and sizes
// are in twips (1440 to the inch), as in the settings.
#include <QList>
#include <QString>
#include <QtGlobal>
#include <optional>

class QWidget;

namespace shell {

// A rectangle by its edges, in pixels or twips as stated where it is used.
struct Rect {
    qint32 Left = 0;
    qint32 Top = 0;
    qint32 Right = 0;
    qint32 Bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Window states as the settings store them.
enum class MainWindowState : int { Normal = 0, Minimised = 1, Maximised = 2 };

// Settings keys in section "Settings".
inline constexpr const char* kMainLeftKey = "MainLeft";
inline constexpr const char* kMainTopKey = "MainTop";
inline constexpr const char* kMainWidthKey = "MainWidth";
inline constexpr const char* kMainHeightKey = "MainHeight";
inline constexpr const char* kMainStateKey = "MainState";

// A stored edge may lie this far outside its work area and still count as
// inside.
inline constexpr int kPlacementToleranceTwips = 120;

// Placement used when the stored values cannot be used at all.
inline constexpr double kFallbackLeft = 1000;
inline constexpr double kFallbackTop = 1000;
inline constexpr double kFallbackWidth = 10000;
inline constexpr double kFallbackHeight = 7000;

// Twips per pixel at 96 dots per inch.
inline constexpr double kTwipsPerPixelAt96Dpi = 15.0;

// The stored texts; an absent (or empty) value takes its default.
struct StoredMainPlacement {
    std::optional<QString> left, top, width, height, state;
};

struct MainPlacementInputs {
    StoredMainPlacement stored;
    // Work areas of the attached screens in pixels; the primary screen first.
    QList<Rect> workAreasPx;
    double twipsPerPixel = kTwipsPerPixelAt96Dpi;
};

struct MainPlacement {
    enum class Source { Stored, Centred, Fallback };
    double left = kFallbackLeft;  // twips
    double top = kFallbackTop;
    double width = kFallbackWidth;
    double height = kFallbackHeight;
    MainWindowState state = MainWindowState::Normal;  // never Minimised
    Source source = Source::Fallback;
};

// Converts a rectangle from pixels to twips in place (ties round to even) and
// returns it; nullopt (and `r` unchanged) when a converted edge does not fit
// in 32 bits.
std::optional<Rect> RectPixelsToTwips(Rect& r, double twipsPerPixelX, double twipsPerPixelY);

// True when `window` lies within `area` widened by 120 twips on every side,
// edges included; nullopt when a widened edge does not fit in 32 bits.
std::optional<bool> RectInsideRect(const Rect& window, const Rect& area);

// Index of the area nearest to `window`: the one it overlaps most, else the
// closest one; -1 for an empty list. Earlier areas win ties.
int NearestArea(const QList<Rect>& areas, const Rect& window);

// The placement decision: the stored values (defaults from the primary work
// area where absent) when the window then lies within its nearest work area
// with the tolerance; centred on that work area at 80 % of its size, normal,
// when it does not; the fallback 1000, 1000, 10000 x 7000, normal, when a
// stored value is not a number, the state is not 0, 1 or 2, a size is
// negative, a value overflows, or there is no screen. A minimised state opens
// normal.
MainPlacement ComputeMainPlacement(const MainPlacementInputs& inputs);

// Twips per pixel for a logical resolution in dots per inch (15 at 96).
double twipsPerPixelFromDpi(double logicalDpi);

// Applies a placement to a top-level widget before it is first shown. Where
// the window system does not let a window choose its position
// (`canSetPosition` false), only size and state are applied.
void applyMainPlacement(QWidget* window, const MainPlacement& placement, double twipsPerPixel,
                        bool canSetPosition);

// True when windows may place themselves on screen (false under Wayland).
bool windowPositionSupported();

// Reads the settings, computes the placement from the attached screens and
// applies it to `window`.
void restoreMainPlacement(QWidget* window);

// Stores the window's placement: position and size (position only where the
// window system reports it) unless the window is minimised, then its state.
void saveMainPlacement(QWidget* window);

} // namespace shell
