// Option parsing and the run of the command-line renderer.
#include "tools/RenderCommand.h"

#include <QCommandLineParser>
#include <QFile>

#include "scene/PictureExport.h"
#include "scene/TorvaneScene.h"
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
    "Exit codes: 0 done; 1 a formula or a bound is refused (the window's message is printed);\n"
    "2 wrong options; 3 the document cannot be read; 4 the picture or the dump cannot be written.";

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
                            QStringLiteral("Side of each panel's square in pixels (points in PDF); default 460."),
                            QStringLiteral("pixels"), QStringLiteral("460")};
    QCommandLineOption Dump{QStringLiteral("dump"),
                            QStringLiteral("Also write the computed scene (curves, locus, image rectangle) as JSON."),
                            QStringLiteral("file.json")};
};

// Splits "a,b,c,d" into exactly N texts; false otherwise.
bool SplitList(const QString& Value, int N, QStringList& Parts) {
    Parts = Value.split(QLatin1Char(','));
    if (Parts.size() != N) return false;
    for (QString& P : Parts) {
        P = P.trimmed();
        if (P.isEmpty()) return false;
    }
    return true;
}

std::string Std(const QString& S) { return S.toStdString(); }

}  // namespace

int RunRender(const QStringList& Arguments, QTextStream& Out, QTextStream& Err) {
    QCommandLineParser Parser;
    Parser.setApplicationDescription(QString::fromLatin1(Summary));
    Parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QCommandLineOption Help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")};
    Options O;
    Parser.addOption(Help);
    for (const QCommandLineOption* Option :
         {&O.X, &O.Y, &O.W, &O.Domain, &O.Params, &O.ParamRange, &O.Clip, &O.Locus,
          &O.PreserveRatio, &O.SphereDomain, &O.SphereImage, &O.Panel, &O.Size, &O.Dump})
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
    if (Picture.isEmpty() && !Parser.isSet(O.Dump))
        return Usage(QStringLiteral("name the picture to write (or a --dump file)."));
    PictureFormat Format;
    if (!Picture.isEmpty() && !PictureFormatOf(Std(Picture), Format))
        return Usage(QStringLiteral("the picture's name must end in .png, .svg or .pdf."));
    if (Parser.isSet(O.W) && (Parser.isSet(O.X) || Parser.isSet(O.Y)))
        return Usage(QStringLiteral("a map is either real (--x, --y) or complex (--w), not both."));
    PicturePanels Which = PicturePanels::Both;
    QString PanelName = Parser.value(O.Panel);
    if (PanelName == QStringLiteral("domain")) Which = PicturePanels::Domain;
    else if (PanelName == QStringLiteral("image")) Which = PicturePanels::Image;
    else if (PanelName != QStringLiteral("both")) return Usage(QStringLiteral("--panel takes domain, image or both."));
    bool SizeOk = false;
    int Size = Parser.value(O.Size).toInt(&SizeOk);
    if (!SizeOk || Size < 16 || Size > 20000) return Usage(QStringLiteral("--size takes a whole number from 16 to 20000."));
    QString LocusValue = Parser.value(O.Locus);
    if (Parser.isSet(O.Locus) && LocusValue != QStringLiteral("on") && LocusValue != QStringLiteral("off"))
        return Usage(QStringLiteral("--locus takes on or off."));
    QStringList Domain, Params, Range, Clip;
    if (Parser.isSet(O.Domain) && !SplitList(Parser.value(O.Domain), 4, Domain))
        return Usage(QStringLiteral("--domain takes four numbers: umin,umax,vmin,vmax."));
    if (Parser.isSet(O.Params) && !SplitList(Parser.value(O.Params), 2, Params))
        return Usage(QStringLiteral("--params takes two numbers: p,q."));
    if (Parser.isSet(O.ParamRange) && !SplitList(Parser.value(O.ParamRange), 4, Range))
        return Usage(QStringLiteral("--param-range takes four numbers: pmin,pmax,qmin,qmax."));
    if (Parser.isSet(O.Clip) && !SplitList(Parser.value(O.Clip), 4, Clip))
        return Usage(QStringLiteral("--clip takes four numbers: xmin,xmax,ymin,ymax."));

    TorvaneScene T;
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
    uint8_t Flags = T.SceneFlags();
    auto Set = [&Flags](uint8_t Bit, bool On) { Flags = static_cast<uint8_t>(On ? Flags | Bit : Flags & ~Bit); };
    if (Parser.isSet(O.Locus)) Set(2, LocusValue == QStringLiteral("on"));
    if (Parser.isSet(O.SphereImage)) Set(4, true);
    if (Parser.isSet(O.PreserveRatio)) Set(8, true);
    if (Parser.isSet(O.SphereDomain)) Set(16, true);
    T.AdjustMenus(Flags);

    T.ReadAndDraw(false);
    if (!T.S.SceneReady) {
        Err << "torvane-render: " << QString::fromStdString(T.StatusText) << "\n";
        Err.flush();
        return RenderBadMap;
    }
    if (!Picture.isEmpty()) {
        std::string Failure = ExportPicture(T, Std(Picture), Which, Size);
        if (!Failure.empty()) {
            Err << "torvane-render: " << QString::fromStdString(Failure) << "\n";
            Err.flush();
            return RenderNotWritten;
        }
    }
    if (Parser.isSet(O.Dump)) {
        QFile F(Parser.value(O.Dump));
        QByteArray Json = QByteArray::fromStdString(DumpScene(T).dump(1));
        if (!F.open(QIODevice::WriteOnly | QIODevice::Truncate) || F.write(Json) != Json.size() ||
            !F.flush()) {
            Err << "torvane-render: the dump could not be written to " << Parser.value(O.Dump) << "\n";
            Err.flush();
            return RenderNotWritten;
        }
    }
    return RenderOk;
}
