// Documents through the scene and real files: a saved map opens as it was, the committed old
// and odd documents open as they should, a bad file leaves everything as it was, and a save
// that fails keeps the previous file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

#include "SceneTestSupport.h"
#include "curves/ImageBounds.h"

namespace {

using namespace scene_test;

std::string FixturePath(const char* Name) {
    return std::string(TORVANE_SOURCE_DIR) + "/tests/document/fixtures/" + Name;
}

bool SameBits(const SphereView& A, const SphereView& B) { return std::memcmp(&A, &B, sizeof A) == 0; }

// Everything a failed read must not touch.
struct Snapshot {
    explicit Snapshot(const TorvaneScene& T)
        : Bytes(WriteDocument(T.CurrentDocument())), Domain(T.DomainSurface),
          Image(T.ImageSurface), Ready(T.S.SceneReady), Caption(T.Caption), Name(T.FileName) {
        for (int I = 0; I < EditFieldCount; ++I) Texts.push_back(T.Edits[I].Text);
    }
    bool operator==(const Snapshot& O) const {
        return Bytes == O.Bytes && Domain == O.Domain && Image == O.Image && Ready == O.Ready &&
               Caption == O.Caption && Name == O.Name && Texts == O.Texts;
    }
    std::vector<uint8_t> Bytes;
    QImage Domain, Image;
    bool Ready;
    std::string Caption, Name;
    std::vector<std::string> Texts;
};

TEST(Documents, ASavedMapOpensAsItWas) {
    QTemporaryDir Folder;
    std::string Path = Folder.filePath(QStringLiteral("saddle.tvn")).toStdString();
    TorvaneScene A;
    A.Text(EditField::F1Edit) = "u^2 - v^2 + p";
    A.Text(EditField::uMinEdit) = "-1.25";
    A.Text(EditField::qValue) = "0.3";
    A.ReadAndDraw(true);
    A.OnPreferences(TagStereographicImage);
    A.OnMouseDownInImage(MouseButton::Right, RightHeld(), 230, 230);
    A.OnMouseMoveInImage(RightHeld(), 250, 260);  // a turned image sphere
    A.OnGeometryMenu();                           // locus off
    ASSERT_TRUE(A.S.SceneReady);
    ASSERT_TRUE(A.S.Modified);
    FileOutcome W = A.WriteToDisk(Path);
    ASSERT_TRUE(W.Ok());
    EXPECT_FALSE(A.S.Modified);

    TorvaneScene B;
    FileOutcome R = B.ReadFromDisk(Path);
    ASSERT_TRUE(R.Ok()) << R.SystemText;
    EXPECT_TRUE(B.S.SceneReady) << B.StatusText;
    EXPECT_FALSE(B.S.Modified);
    EXPECT_EQ(B.Caption, "saddle");
    EXPECT_EQ(B.FileName, Path);
    EXPECT_EQ(B.Text(EditField::F1Edit), "u^2 - v^2 + p");
    EXPECT_EQ(B.Text(EditField::F2Edit), "q v^2 - u^3");
    EXPECT_EQ(B.SceneFlags(), A.SceneFlags());
    EXPECT_TRUE(B.Checked(MenuItem::Stereographicimage1));
    EXPECT_FALSE(B.Checked(MenuItem::Singularlocus1));
    EXPECT_TRUE(SameBits(B.S.ImgSphere, A.S.ImgSphere));
    EXPECT_TRUE(SameBits(B.S.DomSphere, A.S.DomSphere));
    // Bounds and parameters come back as the values of their six-character texts.
    EXPECT_EQ(B.Text(EditField::uMinEdit), "-1.250");
    EXPECT_EQ(B.S.DomMin.X, -1.25);
    EXPECT_EQ(B.S.ParamValue.Y, 0.3);
    // The same picture, also on the image sphere of a scene that never showed the plane.
    EXPECT_EQ(Differences(B.ImageSurface, A.ImageSurface), 0);

    // A value that its six characters cannot hold comes back as their value.
    A.Text(EditField::uMinEdit) = "-1.2345678";
    A.ReadAndDraw(true);
    ASSERT_TRUE(A.WriteToDisk(Path).Ok());
    ASSERT_TRUE(B.ReadFromDisk(Path).Ok());
    EXPECT_EQ(B.Text(EditField::uMinEdit), "-1.234");
    EXPECT_EQ(B.S.DomMin.X, -1.234);
}

TEST(Documents, OldAndOddDocumentsOpenAsTheyShould) {
    TorvaneScene Old;
    SphereView DomainBefore = Old.S.DomSphere;
    ASSERT_TRUE(Old.ReadFromDisk(FixturePath("version0-real.tvn")).Ok());
    EXPECT_TRUE(Old.S.SceneReady) << Old.StatusText;
    EXPECT_EQ(Old.S.MapType, 0);
    EXPECT_EQ(Old.Text(EditField::F1Edit), "u^2 - v^2");
    EXPECT_TRUE(SameBits(Old.S.DomSphere, DomainBefore));
    EXPECT_EQ(Old.S.ImgSphere.Radius, 2);
    EXPECT_EQ(Old.S.ImgSphere.RadiusSqr, 4);
    EXPECT_EQ(Old.S.ImgSphere.Centre.X, 0.5);
    EXPECT_EQ(Old.S.ImgSphere.Rotation[0][1], 1);
    EXPECT_EQ(Old.Caption, "version0-real");
    EXPECT_EQ(Old.Text(EditField::xMaxEdit), "5.0000");  // a clip rectangle (flag 1 clear)

    TorvaneScene Fractional;
    ASSERT_TRUE(Fractional.ReadFromDisk(FixturePath("fractional-linear.tvn")).Ok());
    EXPECT_EQ(Fractional.S.MapType, 1);
    EXPECT_EQ(Fractional.Text(EditField::F1Edit), "(p z + 1)/(z - 1)");
    EXPECT_EQ(Fractional.Label(SceneLabel::xuvLabel).Caption, "w(z)=");
    EXPECT_TRUE(Fractional.S.SceneReady) << Fractional.StatusText;

    TorvaneScene Complex;
    ASSERT_TRUE(Complex.ReadFromDisk(FixturePath("complex-sphere.tvn")).Ok());
    EXPECT_EQ(Complex.S.MapType, 1);
    EXPECT_TRUE(Complex.S.StereoImage);
    EXPECT_TRUE(Complex.S.PreserveRatio);
    EXPECT_EQ(Complex.Text(EditField::F2Edit), "q v^2 - u^3");  // kept, though not shown
    EXPECT_FALSE(Complex.Edits[static_cast<int>(EditField::F2Edit)].Visible);
    EXPECT_EQ(Complex.S.ComplexParam.Y, -0.5);
    EXPECT_EQ(Complex.S.ImgSphere.Radius, 1.5);

    TorvaneScene Whole;
    ASSERT_TRUE(Whole.ReadFromDisk(FixturePath("whole-image.tvn")).Ok());
    EXPECT_TRUE(Whole.S.WholeImage);
    for (EditField F : {EditField::xMinEdit, EditField::xMaxEdit, EditField::yMinEdit,
                        EditField::yMaxEdit})
        EXPECT_EQ(Whole.Text(F), "");
    EXPECT_GT(Whole.S.SingLocus.LastIndex, 100);
}

TEST(Documents, ABadFileLeavesEverythingAsItWas) {
    QTemporaryDir Folder;
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T));
    T.S.Modified = true;
    Snapshot Before(T);
    std::vector<uint8_t> Good = WriteDocument(T.CurrentDocument());
    std::vector<std::pair<std::string, std::vector<uint8_t>>> Files = {
        {"magic", std::vector<uint8_t>(Good.begin(), Good.end())},
        {"cut", std::vector<uint8_t>(Good.begin(), Good.begin() + 200)},
        {"empty", {}}};
    Files[0].second[5] = 'X';
    for (const auto& [Name, Bytes] : Files) {
        QString Path = Folder.filePath(QString::fromStdString(Name + ".tvn"));
        QFile F(Path);
        ASSERT_TRUE(F.open(QIODevice::WriteOnly));
        F.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<qint64>(Bytes.size()));
        F.close();
        FileOutcome R = T.ReadFromDisk(Path.toStdString());
        EXPECT_FALSE(R.Ok()) << Name;
        EXPECT_TRUE(Snapshot(T) == Before) << Name;
    }
    EXPECT_EQ(T.ReadFromDisk(Folder.filePath(QStringLiteral("magic.tvn")).toStdString()).Code,
              DocumentError::BadFileType);
    FileOutcome Missing = T.ReadFromDisk("/nonexistent/folder/map.tvn");
    EXPECT_FALSE(Missing.SystemText.empty());
    EXPECT_TRUE(Snapshot(T) == Before);
    EXPECT_TRUE(T.S.Modified);
}

TEST(Documents, AFailedSaveKeepsThePreviousFile) {
    QTemporaryDir Folder;
    std::string Path = Folder.filePath(QStringLiteral("kept.tvn")).toStdString();
    TorvaneScene T;
    ASSERT_TRUE(DrawDefault(T));
    ASSERT_TRUE(T.WriteToDisk(Path).Ok());
    QFile Saved(QString::fromStdString(Path));
    ASSERT_TRUE(Saved.open(QIODevice::ReadOnly));
    QByteArray Old = Saved.readAll();
    Saved.close();

    // The next save may write only 100 bytes: the document does not fit.
    T.Text(EditField::F1Edit) = "u^2 + v^2";
    T.S.Modified = true;
    rlimit Limit{};
    getrlimit(RLIMIT_FSIZE, &Limit);
    rlimit Small = Limit;
    Small.rlim_cur = 100;
    auto PreviousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &Small), 0);
    FileOutcome R = T.WriteToDisk(Path);
    setrlimit(RLIMIT_FSIZE, &Limit);
    std::signal(SIGXFSZ, PreviousHandler);
    EXPECT_EQ(R.Code, DocumentError::WriteError);
    EXPECT_TRUE(T.S.Modified);
    ASSERT_TRUE(Saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(Saved.readAll(), Old);
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("kept.tvn")});

    EXPECT_EQ(T.WriteToDisk("").Code, DocumentError::NotAssigned);
    EXPECT_TRUE(T.S.Modified);
}

}  // namespace
