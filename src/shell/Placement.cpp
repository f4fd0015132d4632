#include "shell/Placement.h"

#include "platform/settings/Settings.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace shell {
namespace {

constexpr double kMarginFactor = 0.1;
constexpr double kSizeFactor = 0.8;

// Rounds to the nearest whole number, ties to the even one; nullopt when the
// value is not finite or does not fit in 32 bits.
std::optional<qint32> toInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < double(std::numeric_limits<qint32>::min()) || rounded > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return static_cast<qint32>(rounded);
}

std::optional<qint32> fitInt32(std::int64_t value)
{
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}

bool isAbsent(const std::optional<QString>& text)
{
    return !text || text->trimmed().isEmpty();
}

// A stored number; a decimal comma is read like a point.
std::optional<double> parseNumber(const QString& text)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A stored position or size (or its default), held as a single-precision
// number as the window keeps it.
std::optional<double> storedLength(const std::optional<QString>& text, double defaultValue)
{
    const std::optional<double> value = isAbsent(text) ? std::optional<double>(defaultValue) : parseNumber(*text);
    if (!value || std::fabs(*value) > double(FLT_MAX))
        return std::nullopt;
    return double(static_cast<float>(*value));
}

std::optional<MainWindowState> storedState(const std::optional<QString>& text)
{
    if (isAbsent(text))
        return MainWindowState::Normal;
    const std::optional<double> value = parseNumber(*text);
    if (!value)
        return std::nullopt;
    const double whole = std::nearbyint(*value);
    if (whole == 0)
        return MainWindowState::Normal;
    if (whole == 1)
        return MainWindowState::Minimised;
    if (whole == 2)
        return MainWindowState::Maximised;
    return std::nullopt;
}

double widthOf(const Rect& r) { return double(r.Right) - double(r.Left); }
double heightOf(const Rect& r) { return double(r.Bottom) - double(r.Top); }

MainPlacement fallbackPlacement()
{
    return MainPlacement{};
}

std::optional<MainPlacement> computeOrFail(const MainPlacementInputs& in)
{
    if (in.workAreasPx.isEmpty() || !std::isfinite(in.twipsPerPixel) || in.twipsPerPixel <= 0)
        return std::nullopt;

    QList<Rect> areas;
    areas.reserve(in.workAreasPx.size());
    for (Rect r : in.workAreasPx) {
        if (!RectPixelsToTwips(r, in.twipsPerPixel, in.twipsPerPixel))
            return std::nullopt;
        areas.append(r);
    }

    // Defaults from the primary work area.
    const Rect& primary = areas.front();
    MainPlacement p;
    const auto left = storedLength(in.stored.left, primary.Left + kMarginFactor * widthOf(primary));
    const auto top = storedLength(in.stored.top, primary.Top + kMarginFactor * heightOf(primary));
    const auto width = storedLength(in.stored.width, kSizeFactor * std::fabs(widthOf(primary)));
    const auto height = storedLength(in.stored.height, kSizeFactor * std::fabs(heightOf(primary)));
    const auto state = storedState(in.stored.state);
    if (!left || !top || !width || !height || !state)
        return std::nullopt;
    // A window cannot take a negative size.
    if (*width < 0 || *height < 0)
        return std::nullopt;
    p.left = *left;
    p.top = *top;
    p.width = *width;
    p.height = *height;
    p.state = *state == MainWindowState::Minimised ? MainWindowState::Normal : *state;
    p.source = MainPlacement::Source::Stored;

    // The window rectangle in whole twips.
    const auto wLeft = toInt32(p.left);
    const auto wTop = toInt32(p.top);
    const auto wRight = toInt32(p.left + p.width);
    const auto wBottom = toInt32(p.top + p.height);
    if (!wLeft || !wTop || !wRight || !wBottom)
        return std::nullopt;
    const Rect window{*wLeft, *wTop, *wRight, *wBottom};

    const Rect& area = areas.at(NearestArea(areas, window));
    const std::optional<bool> inside = RectInsideRect(window, area);
    if (!inside)
        return std::nullopt;
    if (*inside)
        return p;

    // Off its work area: centre it there.
    p.left = double(static_cast<float>(area.Left + kMarginFactor * widthOf(area)));
    p.top = double(static_cast<float>(area.Top + kMarginFactor * heightOf(area)));
    p.width = double(static_cast<float>(kSizeFactor * std::fabs(widthOf(area))));
    p.height = double(static_cast<float>(kSizeFactor * std::fabs(heightOf(area))));
    p.state = MainWindowState::Normal;
    p.source = MainPlacement::Source::Centred;
    return p;
}

Rect rectOf(const QRect& r)
{
    return Rect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

QList<Rect> screenWorkAreas()
{
    QList<Rect> areas;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return areas;
    areas.append(rectOf(primary->availableGeometry()));
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            areas.append(rectOf(screen->availableGeometry()));
    }
    return areas;
}

double screenTwipsPerPixel()
{
    QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? twipsPerPixelFromDpi(primary->logicalDotsPerInch()) : kTwipsPerPixelAt96Dpi;
}

std::optional<QString> readSetting(const char* key)
{
    const QString value = settings::getSetting(QString::fromLatin1(settings::kSectionSettings), QString::fromLatin1(key));
    if (value.isNull())
        return std::nullopt;
    return value;
}

void writeSetting(const char* key, const QString& value)
{
    settings::saveSetting(QString::fromLatin1(settings::kSectionSettings), QString::fromLatin1(key), value);
}

int toPixels(double twips, double twipsPerPixel)
{
    return toInt32(twips / twipsPerPixel).value_or(0);
}

QString twipsText(int pixels, double twipsPerPixel)
{
    return QString::number(qRound64(pixels * twipsPerPixel));
}

} // namespace

std::optional<Rect> RectPixelsToTwips(Rect& r, double twipsPerPixelX, double twipsPerPixelY)
{
    const auto left = toInt32(r.Left * twipsPerPixelX);
    const auto top = toInt32(r.Top * twipsPerPixelY);
    const auto right = toInt32(r.Right * twipsPerPixelX);
    const auto bottom = toInt32(r.Bottom * twipsPerPixelY);
    if (!left || !top || !right || !bottom)
        return std::nullopt;
    r = Rect{*left, *top, *right, *bottom};
    return r;
}

std::optional<bool> RectInsideRect(const Rect& window, const Rect& area)
{
    const std::int64_t tol = kPlacementToleranceTwips;
    const auto minX = fitInt32(std::int64_t(area.Left) - tol);
    const auto maxX = fitInt32(std::int64_t(area.Right) + tol);
    const auto minY = fitInt32(std::int64_t(area.Top) - tol);
    const auto maxY = fitInt32(std::int64_t(area.Bottom) + tol);
    if (!minX || !maxX || !minY || !maxY)
        return std::nullopt;
    return *minX <= window.Left && window.Left <= *maxX
        && *minY <= window.Top && window.Top <= *maxY
        && *minX <= window.Right && window.Right <= *maxX
        && *minY <= window.Bottom && window.Bottom <= *maxY;
}

int NearestArea(const QList<Rect>& areas, const Rect& window)
{
    int best = -1;
    std::int64_t bestOverlap = 0;
    for (int i = 0; i < areas.size(); ++i) {
        const Rect& a = areas.at(i);
        const std::int64_t w = std::int64_t(std::min(a.Right, window.Right)) - std::max(a.Left, window.Left);
        const std::int64_t h = std::int64_t(std::min(a.Bottom, window.Bottom)) - std::max(a.Top, window.Top);
        if (w > 0 && h > 0 && w * h > bestOverlap) {
            bestOverlap = w * h;
            best = i;
        }
    }
    if (best >= 0)
        return best;

    double bestDistance = std::numeric_limits<double>::infinity();
    for (int i = 0; i < areas.size(); ++i) {
        const Rect& a = areas.at(i);
        const double dx = std::max({0.0, double(a.Left) - window.Right, double(window.Left) - a.Right});
        const double dy = std::max({0.0, double(a.Top) - window.Bottom, double(window.Top) - a.Bottom});
        const double distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

MainPlacement ComputeMainPlacement(const MainPlacementInputs& inputs)
{
    return computeOrFail(inputs).value_or(fallbackPlacement());
}

double twipsPerPixelFromDpi(double logicalDpi)
{
    if (!std::isfinite(logicalDpi) || logicalDpi <= 0)
        return kTwipsPerPixelAt96Dpi;
    return 1440.0 / logicalDpi;
}

void applyMainPlacement(QWidget* window, const MainPlacement& placement, double twipsPerPixel, bool canSetPosition)
{
    if (!window)
        return;
    if (!std::isfinite(twipsPerPixel) || twipsPerPixel <= 0)
        twipsPerPixel = kTwipsPerPixelAt96Dpi;
    if (canSetPosition)
        window->move(toPixels(placement.left, twipsPerPixel), toPixels(placement.top, twipsPerPixel));
    window->resize(toPixels(placement.width, twipsPerPixel), toPixels(placement.height, twipsPerPixel));

    Qt::WindowStates states = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (placement.state == MainWindowState::Maximised)
        states |= Qt::WindowMaximized;
    window->setWindowState(states);
}

bool windowPositionSupported()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void restoreMainPlacement(QWidget* window)
{
    if (!window)
        return;
    MainPlacementInputs inputs;
    inputs.stored.left = readSetting(kMainLeftKey);
    inputs.stored.top = readSetting(kMainTopKey);
    inputs.stored.width = readSetting(kMainWidthKey);
    inputs.stored.height = readSetting(kMainHeightKey);
    inputs.stored.state = readSetting(kMainStateKey);
    inputs.workAreasPx = screenWorkAreas();
    inputs.twipsPerPixel = screenTwipsPerPixel();
    applyMainPlacement(window, ComputeMainPlacement(inputs), inputs.twipsPerPixel, windowPositionSupported());
}

void saveMainPlacement(QWidget* window)
{
    if (!window)
        return;
    const double tpp = screenTwipsPerPixel();
    // A minimised window keeps the place stored before.
    if (!window->isMinimized()) {
        if (windowPositionSupported()) {
            writeSetting(kMainLeftKey, twipsText(window->x(), tpp));
            writeSetting(kMainTopKey, twipsText(window->y(), tpp));
        }
        writeSetting(kMainWidthKey, twipsText(window->width(), tpp));
        writeSetting(kMainHeightKey, twipsText(window->height(), tpp));
    }
    MainWindowState state = MainWindowState::Normal;
    if (window->isMinimized())
        state = MainWindowState::Minimised;
    else if (window->isMaximized())
        state = MainWindowState::Maximised;
    writeSetting(kMainStateKey, QString::number(static_cast<int>(state)));
}

} // namespace shell
