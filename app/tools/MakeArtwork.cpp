// Draws the program's artwork into a resources folder: the two splash
// pictures, the cursors and the program icon at every size. Everything is drawn from
// code so that the pictures can be changed and made again.
//   MakeArtwork <resources folder>
#include "CursorHotSpots.h"

#include <QDir>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

namespace {

constexpr double Pi = 3.14159265358979323846;

// A ridge line: a few sines of fixed phases, so the same hills come out
// every time the tool runs.
double Ridge(double X, double Seed) {
  return 0.55 * std::sin(X * 2.1 + Seed) + 0.30 * std::sin(X * 5.3 + 2.0 * Seed) +
         0.15 * std::sin(X * 11.7 + 3.0 * Seed);
}

QPainterPath RidgePath(int Width, double Base, double Amplitude, double Seed, double Bottom) {
  QPainterPath Path;
  Path.moveTo(0, Bottom);
  for (int X = 0; X <= Width; X += 2) {
    double U = static_cast<double>(X) / Width;
    Path.lineTo(X, Base - Amplitude * (0.6 + 0.4 * Ridge(U * 3.0, Seed)));
  }
  Path.lineTo(Width, Bottom);
  Path.closeSubpath();
  return Path;
}

// A lake landscape in the blue hour: deep sky, warm glow at the horizon,
// three hazy ridges and their reflection.
QImage RenderScene(QSize Size) {
  const int W = Size.width();
  const int H = Size.height();
  const double Horizon = H * 0.66;
  QImage Scene(Size, QImage::Format_RGB32);
  QPainter P(&Scene);
  P.setRenderHint(QPainter::Antialiasing);

  QLinearGradient Sky(0, 0, 0, Horizon);
  Sky.setColorAt(0.0, QColor(0x0b, 0x16, 0x33));
  Sky.setColorAt(0.45, QColor(0x27, 0x3a, 0x6e));
  Sky.setColorAt(0.78, QColor(0xb4, 0x62, 0x5a));
  Sky.setColorAt(1.0, QColor(0xf4, 0xb8, 0x70));
  P.fillRect(0, 0, W, static_cast<int>(Horizon) + 1, Sky);

  std::mt19937 Random(7);
  std::uniform_real_distribution<double> Unit(0.0, 1.0);
  for (int I = 0; I < W * H / 2600; ++I) {
    double X = Unit(Random) * W;
    double Y = std::pow(Unit(Random), 1.8) * Horizon * 0.55;
    int Alpha = static_cast<int>(60 + 150 * Unit(Random) * (1.0 - Y / (Horizon * 0.55)));
    P.fillRect(QRectF(X, Y, 1.2, 1.2), QColor(255, 250, 235, Alpha));
  }

  const QPointF Sun(W * 0.31, Horizon - H * 0.15);
  QRadialGradient Glow(Sun, W * 0.42);
  Glow.setColorAt(0.0, QColor(255, 226, 170, 210));
  Glow.setColorAt(0.25, QColor(250, 170, 110, 90));
  Glow.setColorAt(1.0, QColor(250, 150, 100, 0));
  P.fillRect(0, 0, W, static_cast<int>(Horizon) + 1, Glow);
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(255, 244, 214));
  P.drawEllipse(Sun, H * 0.028, H * 0.028);

  const QColor RidgeColours[] = {QColor(0x9a, 0x5e, 0x72), QColor(0x5a, 0x3b, 0x5e),
                                 QColor(0x24, 0x1c, 0x36)};
  const double Amplitudes[] = {0.20, 0.15, 0.09};
  const double Seeds[] = {0.7, 2.9, 5.1};
  for (int I = 0; I < 3; ++I) {
    P.setBrush(RidgeColours[I]);
    P.drawPath(RidgePath(W, Horizon, H * Amplitudes[I], Seeds[I], Horizon + 1));
  }

  // The lake mirrors the sky above the horizon, darker, broken by ripples.
  QImage Above = Scene.copy(0, 0, W, static_cast<int>(Horizon)).mirrored(false, true);
  P.setOpacity(0.55);
  P.drawImage(QPointF(0, Horizon), Above);
  P.setOpacity(1.0);
  QLinearGradient Deep(0, Horizon, 0, H);
  Deep.setColorAt(0.0, QColor(10, 12, 30, 90));
  Deep.setColorAt(1.0, QColor(6, 8, 20, 235));
  P.fillRect(QRectF(0, Horizon, W, H - Horizon), Deep);
  // The sun's path on the water: short broken glints, thinning out
  // towards the shore.
  for (double Y = Horizon + 2; Y < H; Y += 2.0 + (Y - Horizon) * 0.045) {
    const double Depth = (Y - Horizon) / (H - Horizon);
    const double Spread = W * (0.03 + 0.10 * Depth);
    for (int Glint = 0; Glint < 4; ++Glint) {
      const double Length = W * (0.006 + 0.03 * Unit(Random)) * (1.0 - 0.5 * Depth);
      const double X = Sun.x() + (Unit(Random) - 0.5) * 2 * Spread - Length / 2;
      const int Alpha = static_cast<int>((40 + 110 * Unit(Random)) * (1.0 - 0.8 * Depth));
      P.fillRect(QRectF(X, Y, Length, 1.0 + Depth), QColor(255, 214, 160, Alpha));
    }
  }
  return Scene;
}

// The scene as a shorter or longer exposure: every channel scaled and
// clipped, as a camera would.
QImage Exposed(const QImage& Scene, double Gain) {
  QImage Result = Scene.convertToFormat(QImage::Format_RGB32);
  for (int Y = 0; Y < Result.height(); ++Y) {
    auto* Row = reinterpret_cast<QRgb*>(Result.scanLine(Y));
    for (int X = 0; X < Result.width(); ++X) {
      auto Scale = [Gain](int V) { return std::min(255, static_cast<int>(V * Gain)); };
      Row[X] = qRgb(Scale(qRed(Row[X])), Scale(qGreen(Row[X])), Scale(qBlue(Row[X])));
    }
  }
  return Result;
}

// A photograph lying on the table: white border, soft shadow, turned.
void DrawPrint(QPainter& P, const QImage& Photo, QPointF Centre, double Angle, double Border) {
  P.save();
  P.translate(Centre);
  P.rotate(Angle);
  const QRectF Frame(-Photo.width() / 2.0 - Border, -Photo.height() / 2.0 - Border,
                     Photo.width() + 2 * Border, Photo.height() + 2 * Border);
  for (int I = 6; I >= 1; --I) {
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(0, 0, 0, 14));
    P.drawRoundedRect(Frame.translated(I * 0.8, I * 1.1).adjusted(-I, -I, I, I), 3 + I, 3 + I);
  }
  P.setBrush(QColor(0xfb, 0xf8, 0xf2));
  P.drawRoundedRect(Frame, 2, 2);
  P.drawImage(QPointF(-Photo.width() / 2.0, -Photo.height() / 2.0), Photo);
  P.restore();
}

void DrawLettering(QPainter& P, QPointF Origin, const QString& Text, const QFont& Font,
                   const QColor& Colour) {
  P.setFont(Font);
  P.setPen(Colour);
  P.drawText(Origin, Text);
}

QImage MakeSplash(QSize Size) {
  const QImage Scene = RenderScene(Size);
  QImage Splash = Scene;
  QPainter P(&Splash);
  P.setRenderHint(QPainter::Antialiasing);
  P.setRenderHint(QPainter::SmoothPixmapTransform);

  // Three exposures of one scene fanned out, the brightest on top: what
  // the program adds together.
  const QSize PrintSize(Size.width() * 0.27, Size.width() * 0.27 / 1.5);
  const QImage Small = Scene.scaled(PrintSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const double Gains[] = {0.45, 1.0, 1.9};
  const double Angles[] = {-9.0, -1.5, 6.0};
  const QPointF Base(Size.width() * 0.74, Size.height() * 0.60);
  for (int I = 0; I < 3; ++I) {
    QPointF Offset((I - 1) * Size.width() * 0.045, (1 - I) * Size.height() * 0.035);
    DrawPrint(P, Exposed(Small, Gains[I]), Base + Offset, Angles[I], 6);
  }

  // Lettering: the name in a light serif, a spaced line beneath it.
  const double Left = Size.width() * 0.065;
  const double Baseline = Size.height() * 0.30;
  QFont Title("DejaVu Serif");
  Title.setPixelSize(static_cast<int>(Size.height() * 0.20));
  Title.setLetterSpacing(QFont::AbsoluteSpacing, 3);
  DrawLettering(P, QPointF(Left + 2, Baseline + 3), "Velmora", Title, QColor(0, 0, 0, 90));
  DrawLettering(P, QPointF(Left, Baseline), "Velmora", Title, QColor(0xfb, 0xf4, 0xe8));

  QFont Line("DejaVu Sans");
  Line.setPixelSize(static_cast<int>(Size.height() * 0.034));
  Line.setLetterSpacing(QFont::AbsoluteSpacing, 3.5);
  const QString Motto = "EXPOSURE STACKING  \u00b7  DYNAMIC RANGE";
  DrawLettering(P, QPointF(Left + 4, Baseline + Size.height() * 0.075), Motto, Line,
                QColor(0xf6, 0xd2, 0xaa));
  const double RuleY = Baseline + Size.height() * 0.10;
  const double RuleEnd = Left + 4 + QFontMetricsF(Line).horizontalAdvance(Motto) - 3.5;
  P.setPen(QPen(QColor(0xf6, 0xd2, 0xaa, 160), 1.2));
  P.drawLine(QPointF(Left + 4, RuleY), QPointF(RuleEnd, RuleY));

  QFont Foot("DejaVu Sans");
  Foot.setPixelSize(static_cast<int>(Size.height() * 0.026));
  Foot.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
  DrawLettering(P, QPointF(Left + 4, Size.height() * 0.93),
                "Press Start and pick two or more exposures of one scene", Foot,
                QColor(255, 255, 255, 170));
  return Splash;
}

// The icon: three rounded cards of one scene, from dark at the back to
// bright at the front. Drawn on a grid of 256 units scaled to Size, the
// rims kept at least a pixel wide and the scene rendered at the pixel size
// it is shown at, so that the small sizes stay crisp.
QImage MakeIcon(int Size) {
  const double Grid = 256;
  const double Scale = Size / Grid;
  QImage Icon(Size, Size, QImage::Format_ARGB32_Premultiplied);
  Icon.fill(Qt::transparent);
  QPainter P(&Icon);
  P.setRenderHint(QPainter::Antialiasing);
  P.setRenderHint(QPainter::SmoothPixmapTransform);
  P.scale(Scale, Scale);
  const int ScenePixels = static_cast<int>(std::lround(164 * Scale));
  const QImage Scene = RenderScene(QSize(ScenePixels, ScenePixels));
  const double Gains[] = {0.40, 0.85, 1.45};
  for (int I = 0; I < 3; ++I) {
    const QRectF Card(12 + I * 34, 10 + I * 34, 164, 164);
    QPainterPath Shape;
    Shape.addRoundedRect(Card, 30, 30);
    P.setPen(Qt::NoPen);
    P.setBrush(QColor(0, 0, 0, 60));
    P.drawPath(Shape.translated(2, 4));
    P.save();
    P.setClipPath(Shape);
    P.drawImage(Card, Exposed(Scene, Gains[I]));
    P.restore();
    P.setPen(QPen(QColor(0xfb, 0xf8, 0xf2), std::max(7.0, 1.0 / Scale)));
    P.setBrush(Qt::NoBrush);
    P.drawPath(Shape);
  }
  return Icon;
}

// Cursor shapes: black with a white rim, the usual look, drawn around the
// hot spots of the table.
void Outline(QPainter& P, const QPainterPath& Shape, const QColor& Fill, const QColor& Rim,
             double RimWidth) {
  // The rim lies outside the shape: stroked first, the shape filled over
  // its inner half, so that thin shafts keep their full width.
  P.strokePath(Shape, QPen(Rim, RimWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.fillPath(Shape, Fill);
}

void Dark(QPainter& P, const QPainterPath& Shape) {
  Outline(P, Shape, Qt::black, Qt::white, 3.4);
}
void Light(QPainter& P, const QPainterPath& Shape) {
  Outline(P, Shape, Qt::white, Qt::black, 2.4);
}

QPainterPath Pointer() {
  QPainterPath Path;
  Path.moveTo(2, 2);
  Path.lineTo(2, 24);
  Path.lineTo(7.5, 19);
  Path.lineTo(11.5, 28);
  Path.lineTo(15, 26.5);
  Path.lineTo(11, 17.5);
  Path.lineTo(18, 17.5);
  Path.closeSubpath();
  return Path;
}

QPainterPath Eye() {
  QPainterPath Path;
  Path.moveTo(18, 23);
  Path.quadTo(23.5, 16.5, 29, 23);
  Path.quadTo(23.5, 29.5, 18, 23);
  Path.closeSubpath();
  return Path;
}

void DrawEye(QPainter& P, bool Crossed) {
  Light(P, Eye());
  P.setPen(Qt::NoPen);
  P.setBrush(Qt::black);
  P.drawEllipse(QPointF(23.5, 23), 2.3, 2.3);
  if (Crossed) {
    P.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    P.drawLine(QPointF(19, 28.5), QPointF(28.5, 17.5));
    P.setPen(QPen(QColor(0xc0, 0x10, 0x10), 2, Qt::SolidLine, Qt::RoundCap));
    P.drawLine(QPointF(19, 28.5), QPointF(28.5, 17.5));
  }
}

// An arrow along the x axis from X0 to its tip at X1, head width 10.
QPainterPath Shaft(double X0, double X1, bool HeadAtStart) {
  QPainterPath Path;
  const double Head = 7;
  const double Half = 1.6;
  Path.moveTo(X0 + (HeadAtStart ? Head : 0), 16 - Half);
  Path.lineTo(X1 - Head, 16 - Half);
  Path.lineTo(X1 - Head, 16 - 5);
  Path.lineTo(X1, 16);
  Path.lineTo(X1 - Head, 16 + 5);
  Path.lineTo(X1 - Head, 16 + Half);
  if (HeadAtStart) {
    Path.lineTo(X0 + Head, 16 + Half);
    Path.lineTo(X0 + Head, 16 + 5);
    Path.lineTo(X0, 16);
    Path.lineTo(X0 + Head, 16 - 5);
  } else {
    Path.lineTo(X0, 16 + Half);
    Path.lineTo(X0, 16 - Half);
  }
  Path.closeSubpath();
  return Path;
}

QPainterPath Turned(const QPainterPath& Path, double Degrees) {
  QTransform T;
  T.translate(16, 16);
  T.rotate(Degrees);
  T.translate(-16, -16);
  return T.map(Path);
}

QPainterPath Rounded(double X, double Y, double W, double H, double R) {
  QPainterPath Path;
  Path.addRoundedRect(QRectF(X, Y, W, H), R, R);
  return Path;
}

QPainterPath Thumb(double X, double Y, double W, double H, double Degrees, QPointF Pivot) {
  QTransform T;
  T.translate(Pivot.x(), Pivot.y());
  T.rotate(Degrees);
  T.translate(-Pivot.x(), -Pivot.y());
  return T.map(Rounded(X, Y, W, H, W / 2));
}

// Four fingers side by side in steps of 5 from a half pixel, so that the
// seams between them fall on pixel centres and stay crisp.
constexpr double FingerLeft = 7.5;
constexpr double FingerStep = 5;

QPainterPath OpenHand() {
  QPainterPath Hand = Rounded(FingerLeft, 14, 4 * FingerStep, 15, 5.5);
  const double Tops[] = {6, 3, 4, 7.5};
  for (int I = 0; I < 4; ++I) {
    Hand = Hand.united(Rounded(FingerLeft + I * FingerStep, Tops[I], FingerStep, 16, 2.2));
  }
  return Hand.united(Thumb(4.5, 13.5, 4.6, 11.5, -30, QPointF(8.5, 24)));
}

QPainterPath ClosedHand() {
  QPainterPath Hand = Rounded(FingerLeft, 12, 4 * FingerStep, 16, 5.5);
  for (int I = 0; I < 4; ++I) {
    Hand = Hand.united(Rounded(FingerLeft + I * FingerStep, 9, FingerStep, 8, 2.2));
  }
  return Hand.united(Rounded(4, 17, 11, 5, 2.5));
}

QPainterPath PointingHand() {
  QPainterPath Hand = Rounded(9.5, 2, 5, 18, 2.5);
  Hand = Hand.united(Rounded(14.5, 11, 5, 9, 2.5));
  Hand = Hand.united(Rounded(19.5, 12, 5, 9, 2.5));
  Hand = Hand.united(Rounded(24.5, 13.5, 4, 8, 2));
  Hand = Hand.united(Rounded(9.5, 15, 19, 15, 5.5));
  return Hand.united(Thumb(5.5, 14, 4.6, 10.5, -34, QPointF(10, 23)));
}

// The seams between the fingers, so the hands read as hands.
void FingerLines(QPainter& P, const double* Xs, int Count, double Top, double Bottom) {
  P.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap));
  for (int I = 0; I < Count; ++I) {
    P.drawLine(QPointF(Xs[I], Top), QPointF(Xs[I], Bottom));
  }
}

void DrawCrosshair(QPainter& P) {
  for (const auto& [Colour, Width] :
       {std::pair{QColor(Qt::white), 3.6}, {QColor(Qt::black), 1.4}}) {
    P.setPen(QPen(Colour, Width, Qt::SolidLine, Qt::FlatCap));
    P.drawLine(QPointF(16, 2), QPointF(16, 12));
    P.drawLine(QPointF(16, 20), QPointF(16, 30));
    P.drawLine(QPointF(2, 16), QPointF(12, 16));
    P.drawLine(QPointF(20, 16), QPointF(30, 16));
    P.setBrush(Qt::NoBrush);
    P.drawEllipse(QPointF(16, 16), 7, 7);
  }
  P.setPen(Qt::NoPen);
  P.setBrush(QColor(0xd0, 0x10, 0x10));
  P.drawEllipse(QPointF(16, 16), 1.3, 1.3);
}

void DrawEraser(QPainter& P) {
  P.save();
  P.translate(5, 27);
  P.rotate(-40);
  const QRectF Rubber(0, -6, 11, 12);
  const QRectF Sleeve(11, -6, 14, 12);
  P.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  P.setBrush(Qt::NoBrush);
  P.drawRoundedRect(Rubber.united(Sleeve), 2, 2);
  P.setPen(QPen(Qt::black, 1.2));
  P.setBrush(QColor(0xf2, 0x9b, 0xa8));
  P.drawRoundedRect(Rubber, 2, 2);
  P.setBrush(QColor(0x2f, 0x5d, 0xa8));
  P.drawRoundedRect(Sleeve, 2, 2);
  P.restore();
}

// A range bar through the hot spot with an arrow leaving it upwards or
// downwards.
void DrawRange(QPainter& P, bool Up) {
  QPainterPath Bar = Rounded(5, 16 - 2, 22, 4, 1.5);
  QPainterPath Arrow = Turned(Shaft(16, 29, false), Up ? 270 : 90);
  Dark(P, Bar.united(Arrow));
}

using TDraw = std::function<void(QPainter&)>;

TDraw CursorDrawing(std::string_view Name) {
  if (Name == "CR_NORMAL") {
    return [](QPainter& P) { Dark(P, Pointer()); };
  }
  if (Name == "CR_NORMALHIDE" || Name == "CR_NORMALSHOW") {
    bool Crossed = Name == "CR_NORMALHIDE";
    return [Crossed](QPainter& P) {
      Dark(P, Pointer());
      DrawEye(P, Crossed);
    };
  }
  if (Name == "CR_RANGE_UP" || Name == "CR_RANGE_DOWN") {
    bool Up = Name == "CR_RANGE_UP";
    return [Up](QPainter& P) { DrawRange(P, Up); };
  }
  if (Name == "CR_MOVE") {
    return [](QPainter& P) { Dark(P, Shaft(2, 30, true).united(Turned(Shaft(2, 30, true), 90))); };
  }
  const std::pair<std::string_view, double> DoubleArrows[] = {
      {"CR_MOVE_NS", 90}, {"CR_MOVE_WE", 0}, {"CR_MOVE_NWSE", 45}, {"CR_MOVE_NESW", -45}};
  for (const auto& [ArrowName, Degrees] : DoubleArrows) {
    if (Name == ArrowName) {
      double Length = std::fmod(std::abs(Degrees), 90) != 0 ? 11.5 : 14;
      return [Degrees, Length](QPainter& P) {
        Dark(P, Turned(Shaft(16 - Length, 16 + Length, true), Degrees));
      };
    }
  }
  const std::pair<std::string_view, double> SingleArrows[] = {
      {"CR_ARROW_NS", 90}, {"CR_ARROW_SN", 270}, {"CR_ARROW_WE", 0}, {"CR_ARROW_EW", 180}};
  for (const auto& [ArrowName, Degrees] : SingleArrows) {
    if (Name == ArrowName) {
      return [Degrees](QPainter& P) { Dark(P, Turned(Shaft(5, 29, false), Degrees)); };
    }
  }
  if (Name == "CR_CROSSHAIR") {
    return DrawCrosshair;
  }
  if (Name == "CR_HANDOPEN") {
    return [](QPainter& P) {
      Light(P, OpenHand());
      const double Seams[] = {12.5, 17.5, 22.5};
      FingerLines(P, Seams, 3, 9, 19);
    };
  }
  if (Name == "CR_HANDCLOSED") {
    return [](QPainter& P) {
      Light(P, ClosedHand());
      const double Seams[] = {12.5, 17.5, 22.5};
      FingerLines(P, Seams, 3, 10, 16);
    };
  }
  if (Name == "CR_HANDPOINT") {
    return [](QPainter& P) {
      Light(P, PointingHand());
      const double Seams[] = {19.5, 24.5};
      FingerLines(P, Seams, 2, 14, 20);
    };
  }
  if (Name == "CR_ERASE") {
    return DrawEraser;
  }
  return {};
}

QImage MakeCursor(const TDraw& Draw) {
  QImage Image(CursorImageSize, CursorImageSize, QImage::Format_ARGB32_Premultiplied);
  Image.fill(Qt::transparent);
  QPainter P(&Image);
  P.setRenderHint(QPainter::Antialiasing);
  Draw(P);
  return Image;
}

bool Save(const QImage& Image, const QString& Path, const char* Format, int Quality) {
  const bool Saved = Image.save(Path, Format, Quality);
  if (!Saved) {
    std::fprintf(stderr, "MakeArtwork: cannot write %s\n", qPrintable(Path));
  }
  return Saved;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: MakeArtwork <resources folder>\n");
    return 2;
  }
  // Text needs a GUI application; no display is needed to draw into images.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication Application(argc, argv);
  const QDir Folder(QString::fromLocal8Bit(argv[1]));
  if (!Folder.mkpath("cursors") || !Folder.mkpath("icons")) {
    std::fprintf(stderr, "MakeArtwork: cannot create the folders in %s\n", argv[1]);
    return 1;
  }
  bool Ok = Save(MakeSplash(QSize(760, 430)), Folder.filePath("splash2.jpg"), "JPG", 92);
  Ok = Save(MakeSplash(QSize(760, 507)), Folder.filePath("splash.jpg"), "JPG", 92) && Ok;
  // The sizes of the desktop's icon theme; the largest is the window's icon too.
  for (const int Size : {16, 22, 24, 32, 48, 64, 128, 256})
    Ok = Save(MakeIcon(Size), Folder.filePath(QString("icons/velmora-%1.png").arg(Size)), "PNG",
              -1) &&
         Ok;
  for (const TCursorHotSpot& Spot : CursorHotSpots) {
    const TDraw Draw = CursorDrawing(Spot.Name);
    const QString Name = QString::fromLatin1(Spot.Name.data(), static_cast<int>(Spot.Name.size()));
    if (!Draw) {
      std::fprintf(stderr, "MakeArtwork: no drawing for %s\n", qPrintable(Name));
      Ok = false;
      continue;
    }
    Ok = Save(MakeCursor(Draw), Folder.filePath("cursors/" + Name + ".png"), "PNG", -1) && Ok;
  }
  return Ok ? 0 : 1;
}
