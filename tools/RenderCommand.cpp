// Option parsing and the run of the command-line renderer.
#include "tools/RenderCommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "common/ResStrings.h"
#include "formula/OCFunctDDDoubleSafe.h"
#include "scene/PictureExport.h"
#include "scene/Examples.h"
#include "scene/TorvaneScene.h"
#include "scene/WebPAnimation.h"
#include "scene/RenderFrames.h"
#include "tools/SceneDump.h"

namespace {

const char* const Summary =
    "Draws a map of the plane as the Torvane window draws it: the grid of the domain, its image\n"
    "and the singular locus, into a PNG, SVG or PDF file (chosen by the extension).\n"
    "\n"
    "  torvane-render [options] [document.tvn] picture.(png|svg|pdf)\n"
    "\n"
    "The map comes from the document, or from the options, or is the default real map\n"
    "x = p u^2 - v^3, y = q v^2 - u^3. Options given with a document change it. Numbers may be\n"
    "formulas without variables (\"-pi\", \"sqrt(2)\"); lists are separated by commas, so write\n"
    "decimals with a point there.\n"
    "\n"
    "The one-letter options may also be written --x, --y and --w.\n"
    "\n"
    "With --animate the map is compiled once and drawn for each frame as p and q move:\n"
    "  torvane-render --animate \"p=0..2\" --frames 30 frame-%03d.png\n"
    "\n"
    "Exit codes: 0 done; 1 a formula or a bound is refused (the window's message is printed);\n"
    "2 wrong options, or a picture or dump that is the same file as the document or as each other;\n"
    "3 the document cannot be read; 4 the picture or the dump cannot be written (a file of that\n"
    "name is then left as it was).";

struct Options {
    QCommandLineOption X{QStringLiteral("x"), QStringLiteral("x(u,v) of a real map."), QStringLiteral("formula")};
    QCommandLineOption Y{QStringLiteral("y"), QStringLiteral("y(u,v) of a real map."), QStringLiteral("formula")};
    QCommandLineOption W{QStringLiteral("w"), QStringLiteral("w(z) of a complex map (with the complex parameter p)."),
                         QStringLiteral("formula")};
    QCommandLineOption Domain{QStringLiteral("domain"),
                              QStringLiteral("The domain: umin,umax,vmin,vmax (for w(z): of z.re and z.im)."),
                              QStringLiteral("umin,umax,vmin,vmax")};
    QCommandLineOption Params{QStringLiteral("params"),
                              QStringLiteral("The parameters p,q (for w(z): re and im of p)."),
                              QStringLiteral("p,q")};
    QCommandLineOption ParamRange{QStringLiteral("param-range"),
                                  QStringLiteral("The parameter ranges pmin,pmax,qmin,qmax."),
                                  QStringLiteral("pmin,pmax,qmin,qmax")};
    QCommandLineOption Clip{QStringLiteral("clip"),
                            QStringLiteral("Clip the image to xmin,xmax,ymin,ymax (default: the whole image)."),
                            QStringLiteral("xmin,xmax,ymin,ymax")};
    QCommandLineOption Locus{QStringLiteral("locus"),
                             QStringLiteral("Draw the singular locus: on or off (default: on for real maps, off for "
                                            "complex maps)."),
                             QStringLiteral("on|off")};
    QCommandLineOption Cusps{QStringLiteral("cusps"),
                             QStringLiteral("Seek and mark the cusps of a real map's locus: on (default) or off."),
                             QStringLiteral("on|off")};
    QCommandLineOption Preimages{QStringLiteral("preimages"),
                                 QStringLiteral("Shade the image by the number of preimages of each pixel: on or "
                                                "off (default); the dump then holds the counts."),
                                 QStringLiteral("on|off")};
    QCommandLineOption Colourings{QStringLiteral("colouring"),
                                  QStringLiteral("Colour the panels as a phase portrait: none (default), phase, "
                                                 "modulus (phase and modulus) or enhanced."),
                                  QStringLiteral("none|phase|modulus|enhanced")};
    QCommandLineOption Example{QStringLiteral("example"),
                               QStringLiteral("Draw one of the examples (see --list-examples) instead of a document."),
                               QStringLiteral("name")};
    QCommandLineOption ListExamples{QStringLiteral("list-examples"),
                                    QStringLiteral("List the examples, one a line: the name and what it shows.")};
    QCommandLineOption PreserveRatio{QStringLiteral("preserve-ratio"),
                                     QStringLiteral("Equal scales on both axes (always so for complex maps).")};
    QCommandLineOption SphereDomain{QStringLiteral("sphere-domain"),
                                    QStringLiteral("Show the domain on the Riemann sphere.")};
    QCommandLineOption SphereImage{QStringLiteral("sphere-image"),
                                   QStringLiteral("Show the image on the Riemann sphere.")};
    QCommandLineOption Panel{QStringLiteral("panel"),
                             QStringLiteral("Which panels: domain, image or both side by side (default)."),
                             QStringLiteral("domain|image|both"), QStringLiteral("both")};
    QCommandLineOption Size{QStringLiteral("size"),
                            QStringLiteral("Side of each panel's square in pixels (points in PDF); default 460, at "
                                           "most %1 in PNG (a picture of both panels then takes about 300 MB "
                                           "of memory) and %2 in SVG and PDF.")
                                .arg(MaxPngSize)
                                .arg(MaxPictureSize),
                            QStringLiteral("pixels"), QStringLiteral("460")};
    QCommandLineOption Scale{QStringLiteral("scale"),
                             QStringLiteral("Device pixels to each of a PNG picture's pixels, from 1 to %1 "
                                            "(default 1): the picture of --size as a screen with that many "
                                            "draws it, with the side times as many pixels and the thin lines "
                                            "one pixel wide.")
                                 .arg(PictureExporter::MaxDeviceScale),
                             QStringLiteral("factor"), QStringLiteral("1")};
    QCommandLineOption Animate{QStringLiteral("animate"),
                               QStringLiteral("Write frames while p, q or both move from a to b (for w(z): the real "
                                              "and imaginary part of p); the picture's name holds the frame "
                                              "number as %d or %03d, counted from 0."),
                               QStringLiteral("p=a..b[,q=c..d]")};
    QCommandLineOption Frames{QStringLiteral("frames"),
                              QStringLiteral("How many frames --animate writes (from 1 to %1; default 60).").arg(MaxFrames),
                              QStringLiteral("count"), QStringLiteral("60")};
    QCommandLineOption Fps{QStringLiteral("fps"),
                           QStringLiteral("Frames a second of a .webp animation (from %1 to %2; default 20).")
                               .arg(MinFramesPerSecond)
                               .arg(MaxFramesPerSecond),
                           QStringLiteral("count"), QStringLiteral("20")};
    QCommandLineOption Dump{QStringLiteral("dump"),
                            QStringLiteral("Also write the computed scene (curves, locus, image rectangle) as JSON."),
                            QStringLiteral("file.json")};
};

// Splits "a,b,c,d" into exactly N texts; false otherwise.
bool SplitList(const QString& Value, int N, QStringList& Items) {
    Items = Value.split(QLatin1Char(','));
    if (Items.size() != N) return false;
    for (QString& P : Items) {
        P = P.trimmed();
        if (P.isEmpty()) return false;
    }
    return true;
}

std::string Std(const QString& S) { return S.toStdString(); }

// Scripts print a double that is not finite as nan or inf: such a number is as unusable as
// one too large to draw with.
bool NamesNonFinite(QString Text) {
    Text = Text.trimmed().toLower();
    if (Text.startsWith(QLatin1Char('+')) || Text.startsWith(QLatin1Char('-'))) Text = Text.mid(1).trimmed();
    return Text == QStringLiteral("nan") || Text == QStringLiteral("inf") || Text == QStringLiteral("infinity");
}

// The window reads a clip field it cannot use as "no clip rectangle"; a clip asked for on the
// command line is meant, so a bound that is no usable number is refused with the message the
// window gives a bound field. Empty when every bound is a finite number.
std::string ClipRefusal(const QStringList& Clip) {
    for (const QString& Text : Clip) {
        if (NamesNonFinite(Text)) return ResStrings::NumberTooLarge;
        double V = 0;
        try {
            EvaluateConstantFormula(Std(Text), V);
        } catch (const FormulaError& E) {
            return E.what();
        }
        if (!std::isfinite(V)) return ResStrings::NumberTooLarge;
    }
    return "";
}

// What a path names on disk: an existing file by its device and inode, so that a link, a hard
// link or another spelling of it is the same file; a file yet to be made by the canonical path
// of its folder and its name, after any dangling links that lead to it.
struct FileIdentity {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    QString Path;
};

FileIdentity IdentityOf(const QString& Name) {
    FileIdentity Id;
    struct stat Status;
    if (::stat(QFile::encodeName(Name).constData(), &Status) == 0) {
        Id.Exists = true;
        Id.Device = Status.st_dev;
        Id.Inode = Status.st_ino;
        return Id;
    }
    QString Target = QFileInfo(Name).absoluteFilePath();
    for (int Hops = 0; Hops < 40 && QFileInfo(Target).isSymLink(); ++Hops)
        Target = QFileInfo(Target).symLinkTarget();
    const QFileInfo Info(Target);
    const QString Folder = Info.absoluteDir().canonicalPath();
    Id.Path = Folder.isEmpty() ? QDir::cleanPath(Target) : Folder + QLatin1Char('/') + Info.fileName();
    return Id;
}

bool SameFile(const FileIdentity& A, const FileIdentity& B) {
    if (A.Exists != B.Exists) return false;
    return A.Exists ? A.Device == B.Device && A.Inode == B.Inode : A.Path == B.Path;
}

}  // namespace

int RunRender(const QStringList& Arguments, QTextStream& Out, QTextStream& Err) {
    QCommandLineParser Parser;
    Parser.setApplicationDescription(QString::fromLatin1(Summary));
    Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QCommandLineOption Help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")};
    Options O;
    Parser.addOption(Help);
    for (const QCommandLineOption* Option :
         {&O.X, &O.Y, &O.W, &O.Domain, &O.Params, &O.ParamRange, &O.Clip, &O.Locus, &O.Cusps,
          &O.Preimages, &O.Colourings, &O.Example, &O.ListExamples, &O.PreserveRatio, &O.SphereDomain, &O.SphereImage, &O.Panel, &O.Size, &O.Scale, &O.Animate, &O.Frames, &O.Fps,
          &O.Dump})
        Parser.addOption(*Option);
    Parser.addPositionalArgument(QStringLiteral("document"), QStringLiteral("A map document (.tvn) to draw."),
                                 QStringLiteral("[document.tvn]"));
    Parser.addPositionalArgument(QStringLiteral("picture"),
                                 QStringLiteral("The picture to write: .png, .svg or .pdf."),
                                 QStringLiteral("picture"));

    auto Usage = [&Err](const QString& Why) {
        Err << "torvane-render: " << Why << "\n(torvane-render --help lists the options)\n";
        Err.flush();
        return RenderUsage;
    };
    if (!Parser.parse(QStringList{QStringLiteral("torvane-render")} + Arguments))
        return Usage(Parser.errorText());
    if (Parser.isSet(Help)) {
        Out << Parser.helpText();
        Out.flush();
        return RenderOk;
    }

    if (Parser.isSet(O.ListExamples)) {
        size_t Widest = 0;
        for (const ExampleMap& E : Examples()) Widest = std::max(Widest, E.Name.size());
        for (const ExampleMap& E : Examples())
            Out << QString::fromStdString(E.Name).leftJustified(static_cast<int>(Widest) + 2)
                << QString::fromStdString(E.Description) << "\n";
        Out.flush();
        return RenderOk;
    }

    QStringList Positional = Parser.positionalArguments();
    QString Document, Picture;
    if (Positional.size() == 2) {
        Document = Positional[0];
        Picture = Positional[1];
    } else if (Positional.size() == 1) {
        PictureFormat F;
        if (Positional[0].endsWith(QStringLiteral(".tvn"), Qt::CaseInsensitive) &&
            !PictureFormatOf(Std(Positional[0]), F))
            Document = Positional[0];
        else
            Picture = Positional[0];
    } else if (Positional.size() > 2) {
        return Usage(QStringLiteral("give at most a document and a picture."));
    }
    const std::string ExampleName = Std(Parser.value(O.Example));
    if (Parser.isSet(O.Example)) {
        if (!Document.isEmpty()) return Usage(QStringLiteral("draw either a document or an --example, not both."));
        if (!FindExample(ExampleName))
            return Usage(QStringLiteral("there is no example %1 (--list-examples lists them).")
                             .arg(Parser.value(O.Example)));
    }
    if (Picture.isEmpty() && !Parser.isSet(O.Dump))
        return Usage(QStringLiteral("name the picture to write (or a --dump file)."));
    // An animation may also be one animated WebP file.
    const bool WebP = Picture.endsWith(QStringLiteral(".webp"), Qt::CaseInsensitive);
    PictureFormat Format;
    if (WebP && !Parser.isSet(O.Animate))
        return Usage(QStringLiteral("a .webp picture is an animation: give --animate."));
    if (!Picture.isEmpty() && !WebP && !PictureFormatOf(Std(Picture), Format))
        return Usage(QStringLiteral("the picture's name must end in .png, .svg or .pdf (.webp for an animation)."));
    if (Parser.isSet(O.W) && (Parser.isSet(O.X) || Parser.isSet(O.Y)))
        return Usage(QStringLiteral("a map is either real (--x, --y) or complex (--w), not both."));
    PicturePanels Which = PicturePanels::Both;
    QString PanelName = Parser.value(O.Panel);
    if (PanelName == QStringLiteral("domain")) Which = PicturePanels::Domain;
    else if (PanelName == QStringLiteral("image")) Which = PicturePanels::Image;
    else if (PanelName != QStringLiteral("both")) return Usage(QStringLiteral("--panel takes domain, image or both."));
    bool SizeOk = false;
    int Size = Parser.value(O.Size).toInt(&SizeOk);
    if (!SizeOk || Size < MinPictureSize || Size > MaxPictureSize)
        return Usage(QStringLiteral("--size takes a whole number from %1 to %2 (%3 for a PNG picture).")
                         .arg(MinPictureSize).arg(MaxPictureSize).arg(MaxPngSize));
    if (!Picture.isEmpty() && Format == PictureFormat::Png && Size > MaxPngSize)
        return Usage(QStringLiteral("--size of a PNG picture is at most %1 pixels (more takes gigabytes of "
                                    "memory); an SVG or PDF picture may be larger.").arg(MaxPngSize));
    double DeviceScale = 1;
    if (Parser.isSet(O.Scale)) {
        bool ScaleOk = false;
        DeviceScale = Parser.value(O.Scale).toDouble(&ScaleOk);
        if (!ScaleOk || !(DeviceScale >= 1 && DeviceScale <= PictureExporter::MaxDeviceScale))
            return Usage(QStringLiteral("--scale takes a number from 1 to %1.").arg(PictureExporter::MaxDeviceScale));
        if (Picture.isEmpty() || WebP || Format != PictureFormat::Png || Parser.isSet(O.Animate))
            return Usage(QStringLiteral("--scale is for a PNG picture; SVG and PDF pictures have no pixels."));
        if (std::lround(Size * DeviceScale) > MaxPngSize)
            return Usage(QStringLiteral("--size times --scale is at most %1 pixels for a PNG picture.").arg(MaxPngSize));
    }
    QString LocusValue = Parser.value(O.Locus);
    if (Parser.isSet(O.Locus) && LocusValue != QStringLiteral("on") && LocusValue != QStringLiteral("off"))
        return Usage(QStringLiteral("--locus takes on or off."));
    const QString CuspsValue = Parser.value(O.Cusps);
    if (Parser.isSet(O.Cusps) && CuspsValue != QStringLiteral("on") && CuspsValue != QStringLiteral("off"))
        return Usage(QStringLiteral("--cusps takes on or off."));
    const QString PreimagesValue = Parser.value(O.Preimages);
    if (Parser.isSet(O.Preimages) && PreimagesValue != QStringLiteral("on") &&
        PreimagesValue != QStringLiteral("off"))
        return Usage(QStringLiteral("--preimages takes on or off."));
    Colouring Portrait = Colouring::None;
    if (Parser.isSet(O.Colourings)) {
        const QString Name = Parser.value(O.Colourings);
        const char* Names[] = {"none", "phase", "modulus", "enhanced"};
        int Found = -1;
        for (int I = 0; I < 4; ++I)
            if (Name == QLatin1StringView(Names[I])) Found = I;
        if (Found < 0) return Usage(QStringLiteral("--colouring takes none, phase, modulus or enhanced."));
        Portrait = static_cast<Colouring>(Found);
    }
    const bool Animated = Parser.isSet(O.Animate);
    FramePath Path;
    int FrameCount = 1;
    if (Parser.isSet(O.Frames) && !Animated) return Usage(QStringLiteral("--frames counts the frames of --animate."));
    if (Animated) {
        if (Parser.isSet(O.Dump))
            return Usage(QStringLiteral("--dump writes one scene; it cannot go with --animate."));
        bool CountOk = false;
        FrameCount = Parser.value(O.Frames).toInt(&CountOk);
        if (!CountOk || FrameCount < 1 || FrameCount > MaxFrames)
            return Usage(QStringLiteral("--frames takes a whole number from 1 to %1.").arg(MaxFrames));
        if (std::string Why = ReadFramePath(Parser.value(O.Animate), Path); !Why.empty())
            return Usage(QString::fromStdString(Why) + (Why.back() == '.' ? "" : "."));
        QString First;
        if (!WebP && !FrameName(Picture, 0, First))
            return Usage(QStringLiteral("with --animate the picture's name holds the frame number once, as %d "
                                        "or %03d (frames.%03d.png, say), or ends in .webp."));
    }
    int FramesPerSecond = 20;
    if (Parser.isSet(O.Fps)) {
        bool FpsOk = false;
        FramesPerSecond = Parser.value(O.Fps).toInt(&FpsOk);
        if (!WebP) return Usage(QStringLiteral("--fps sets the speed of a .webp animation."));
        if (!FpsOk || FramesPerSecond < MinFramesPerSecond || FramesPerSecond > MaxFramesPerSecond)
            return Usage(QStringLiteral("--fps takes a whole number from %1 to %2.")
                             .arg(MinFramesPerSecond)
                             .arg(MaxFramesPerSecond));
    }
    if (WebP && Size > MaxPngSize)
        return Usage(QStringLiteral("an animation's panels may be at most %1 pixels square.").arg(MaxPngSize));
    QStringList Domain, Params, Range, Clip;
    if (Parser.isSet(O.Domain) && !SplitList(Parser.value(O.Domain), 4, Domain))
        return Usage(QStringLiteral("--domain takes four numbers: umin,umax,vmin,vmax."));
    if (Parser.isSet(O.Params) && !SplitList(Parser.value(O.Params), 2, Params))
        return Usage(QStringLiteral("--params takes two numbers: p,q."));
    if (Parser.isSet(O.ParamRange) && !SplitList(Parser.value(O.ParamRange), 4, Range))
        return Usage(QStringLiteral("--param-range takes four numbers: pmin,pmax,qmin,qmax."));
    if (Parser.isSet(O.Clip) && !SplitList(Parser.value(O.Clip), 4, Clip))
        return Usage(QStringLiteral("--clip takes four numbers: xmin,xmax,ymin,ymax."));

    // Nothing is written over the document, nor the picture over the dump: a name that is
    // the same file as another is refused before anything is read or written.
    const QString DumpName = Parser.value(O.Dump);
    const struct {
        const QString &A, &B;
        const char* Why;
    } Pairs[] = {{Picture, Document, "the picture %1 is the document %2 itself"},
                 {DumpName, Document, "the dump %1 is the document %2 itself"},
                 {Picture, DumpName, "the picture %1 and the dump %2 are the same file"}};
    for (const auto& Pair : Pairs)
        if (!Animated && !Pair.A.isEmpty() && !Pair.B.isEmpty() && SameFile(IdentityOf(Pair.A), IdentityOf(Pair.B)))
            return Usage(QString::fromLatin1(Pair.Why).arg(Pair.A, Pair.B) +
                         QStringLiteral("; name another file to write."));
    if (WebP && !Document.isEmpty() && SameFile(IdentityOf(Picture), IdentityOf(Document)))
        return Usage(QStringLiteral("the animation %1 is the document %2 itself; name another file to write.")
                         .arg(Picture, Document));
    if (Animated && !WebP && !Document.isEmpty()) {
        const FileIdentity Read = IdentityOf(Document);
        for (int K = 0; K < FrameCount; ++K) {
            QString Name;
            FrameName(Picture, K, Name);
            if (SameFile(IdentityOf(Name), Read))
                return Usage(QStringLiteral("the frame %1 is the document %2 itself; name another file to write.")
                                 .arg(Name, Document));
        }
    }

    auto Refuse = [&Err](const std::string& Message) {
        Err << "torvane-render: " << QString::fromStdString(Message) << "\n";
        Err.flush();
        return RenderBadMap;
    };
    for (const QStringList* Numbers : {&Domain, &Params, &Range})
        for (const QString& Text : *Numbers)
            if (NamesNonFinite(Text)) return Refuse(ResStrings::NumberTooLarge);
    if (std::string Why = ClipRefusal(Clip); !Why.empty()) return Refuse(Why);

    TorvaneScene T;
    T.PaintsBitmaps = false;  // the picture is drawn from the curves, smoothed, at its own size
    if (!Document.isEmpty()) {
        FileOutcome R = T.ReadFromDisk(Std(Document));
        if (!R.Ok()) {
            Err << "torvane-render: " << Document << ": "
                << QString::fromStdString(R.SystemText.empty() ? DocumentMessage(R.Code) : R.SystemText)
                << "\n";
            Err.flush();
            return RenderBadDocument;
        }
    }
    if (Parser.isSet(O.Example)) {
        if (const DocumentError E = T.OpenExample(ExampleName); E != DocumentError::None) {
            Err << "torvane-render: the example " << Parser.value(O.Example) << ": "
                << QString::fromLatin1(DocumentMessage(E)) << "\n";
            Err.flush();
            return RenderBadDocument;
        }
    }
    if (Parser.isSet(O.W) && T.S.MapType != 1) T.OnFunctionType(1);
    if ((Parser.isSet(O.X) || Parser.isSet(O.Y)) && T.S.MapType != 0) T.OnFunctionType(0);
    if (Parser.isSet(O.W)) T.Text(EditField::F1Edit) = Std(Parser.value(O.W));
    if (Parser.isSet(O.X)) T.Text(EditField::F1Edit) = Std(Parser.value(O.X));
    if (Parser.isSet(O.Y)) T.Text(EditField::F2Edit) = Std(Parser.value(O.Y));
    auto Fill = [&T](const QStringList& Values, std::initializer_list<EditField> Fields) {
        int I = 0;
        for (EditField F : Fields) T.Text(F) = Std(Values[I++]);
    };
    if (!Domain.isEmpty())
        Fill(Domain, {EditField::uMinEdit, EditField::uMaxEdit, EditField::vMinEdit, EditField::vMaxEdit});
    if (!Params.isEmpty()) Fill(Params, {EditField::pValue, EditField::qValue});
    if (!Range.isEmpty())
        Fill(Range, {EditField::pMinEdit, EditField::pMaxEdit, EditField::qMinEdit, EditField::qMaxEdit});
    if (!Clip.isEmpty())
        Fill(Clip, {EditField::xMinEdit, EditField::xMaxEdit, EditField::yMinEdit, EditField::yMaxEdit});
    // An animation starts where its path starts: Draw It reads and checks the first values.
    if (Path.MovesP) T.Text(EditField::pValue) = Std(Path.PStart);
    if (Path.MovesQ) T.Text(EditField::qValue) = Std(Path.QStart);
    uint8_t Flags = T.SceneFlags();
    auto Set = [&Flags](uint8_t Bit, bool On) { Flags = static_cast<uint8_t>(On ? Flags | Bit : Flags & ~Bit); };
    if (Parser.isSet(O.Locus)) Set(2, LocusValue == QStringLiteral("on"));
    if (Parser.isSet(O.SphereImage)) Set(4, true);
    if (Parser.isSet(O.PreserveRatio)) Set(8, true);
    if (Parser.isSet(O.SphereDomain)) Set(16, true);
    T.AdjustMenus(Flags);
    T.SetViewPreferences(CuspsValue != QStringLiteral("off"), PreimagesValue == QStringLiteral("on"),
                         Portrait);

    // A single PNG picture's curves are painted while the locus is traced.
    PictureExporter Exporter;
    Exporter.SetDeviceScale(DeviceScale);
    {
        std::optional<PaintingAhead> Ahead;
        if (!Animated && !Picture.isEmpty()) Ahead.emplace(T, Exporter, Std(Picture), Which, Size);
        T.ReadAndDraw(false);
    }
    if (!T.S.SceneReady) return Refuse(T.StatusText);
    if (Animated) {
        bool BadMap = false;
        const std::vector<Point2> Parameters = FrameParameters(Path, T.S.ParamValue, FrameCount);
        std::string Failure = WebP ? WriteAnimation(T, Parameters, Std(Picture), Which, Size, FramesPerSecond, BadMap)
                                   : WriteFrames(T, Parameters, Picture, Which, Size, BadMap);
        if (BadMap) return Refuse(Failure);
        if (!Failure.empty()) {
            Err << "torvane-render: " << QString::fromStdString(Failure) << "\n";
            Err.flush();
            return RenderNotWritten;
        }
    } else if (!Picture.isEmpty()) {
        std::string Failure = Exporter.Export(T, Std(Picture), Which, Size);
        if (!Failure.empty()) {
            Err << "torvane-render: " << QString::fromStdString(Failure) << "\n";
            Err.flush();
            return RenderNotWritten;
        }
    }
    if (Parser.isSet(O.Dump)) {
        const QByteArray Json = QByteArray::fromStdString(DumpScene(T, Size).dump(1));
        std::string Cause = WriteWholeFile(DumpName, Json);
        if (!Cause.empty()) {
            Err << "torvane-render: the dump could not be written to " << DumpName << ": "
                << QString::fromStdString(Cause) << "\n";
            Err.flush();
            return RenderNotWritten;
        }
    }
    return RenderOk;
}
