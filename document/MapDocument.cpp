// The document byte layout: little-endian numbers, strings as a 32-bit length and their bytes.
#include "document/MapDocument.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

class Writer {
public:
    void Bytes(const void* Data, size_t N) {
        const auto* B = static_cast<const uint8_t*>(Data);
        Out.insert(Out.end(), B, B + N);
    }
    void Int32(int32_t V) {
        uint32_t U = static_cast<uint32_t>(V);
        for (int I = 0; I < 4; ++I) Out.push_back(static_cast<uint8_t>(U >> (8 * I)));
    }
    void Double(double V) {
        uint64_t U = std::bit_cast<uint64_t>(V);
        for (int I = 0; I < 8; ++I) Out.push_back(static_cast<uint8_t>(U >> (8 * I)));
    }
    void Point(Point2 P) {
        Double(P.X);
        Double(P.Y);
    }
    void String(std::string_view S) {
        Int32(static_cast<int32_t>(S.size()));
        Bytes(S.data(), S.size());
    }
    void Sphere(const SphereView& S) {
        Double(S.Radius);
        Double(S.RadiusSqr);
        Double(S.Scale);
        Point(S.Centre);
        Int32(S.CentrePixel.X);
        Int32(S.CentrePixel.Y);
        for (const auto& Row : S.Rotation)
            for (double V : Row) Double(V);
    }
    std::vector<uint8_t> Out;
};

// Reads from a byte span; every read checks the bytes that remain, and the first short read
// marks the reader failed (later reads then fail too).
class Reader {
public:
    explicit Reader(std::span<const uint8_t> B) : In(B) {}
    bool Failed() const { return Bad; }
    bool Take(void* Data, size_t N) {
        if (Bad || N > In.size() - Pos) {
            Bad = true;
            return false;
        }
        std::memcpy(Data, In.data() + Pos, N);
        Pos += N;
        return true;
    }
    int32_t Int32() {
        uint8_t B[4] = {};
        Take(B, 4);
        uint32_t U = 0;
        for (int I = 0; I < 4; ++I) U |= static_cast<uint32_t>(B[I]) << (8 * I);
        return static_cast<int32_t>(U);
    }
    double Double() {
        uint8_t B[8] = {};
        Take(B, 8);
        uint64_t U = 0;
        for (int I = 0; I < 8; ++I) U |= static_cast<uint64_t>(B[I]) << (8 * I);
        return std::bit_cast<double>(U);
    }
    Point2 Point() {
        double X = Double();
        return {X, Double()};
    }
    // A length that is negative or longer than what remains is a bad file, never an
    // allocation.
    std::string String() {
        int32_t N = Int32();
        if (Bad || N < 0 || static_cast<size_t>(N) > In.size() - Pos) {
            Bad = true;
            return {};
        }
        std::string S(reinterpret_cast<const char*>(In.data() + Pos), static_cast<size_t>(N));
        Pos += static_cast<size_t>(N);
        return S;
    }
    SphereView Sphere() {
        SphereView S;
        S.Radius = Double();
        S.RadiusSqr = Double();
        S.Scale = Double();
        S.Centre = Point();
        S.CentrePixel.X = Int32();
        S.CentrePixel.Y = Int32();
        for (auto& Row : S.Rotation)
            for (double& V : Row) V = Double();
        return S;
    }
    void Skip(size_t N) {
        if (Bad || N > In.size() - Pos)
            Bad = true;
        else
            Pos += N;
    }

private:
    std::span<const uint8_t> In;
    size_t Pos = 0;
    bool Bad = false;
};

// Every number of a document this program writes is finite and every sphere is one the
// program can show; anything else comes from a damaged or forged file.
bool Plausible(const SphereView& S) {
    auto Finite = [](double V) { return std::isfinite(V); };
    if (!(S.Radius >= 0.001 && S.Radius <= 1000) || !Finite(S.RadiusSqr) || !Finite(S.Scale) ||
        !Finite(S.Centre.X) || !Finite(S.Centre.Y))
        return false;
    if (S.CentrePixel.X < -1000000 || S.CentrePixel.X > 1000000 ||
        S.CentrePixel.Y < -1000000 || S.CentrePixel.Y > 1000000)
        return false;
    for (const auto& Row : S.Rotation)
        for (double V : Row)
            if (!Finite(V)) return false;
    return true;
}

bool Plausible(const MapDocument& D) {
    const double Numbers[] = {D.ParamMin.X, D.ParamMin.Y, D.ParamMax.X, D.ParamMax.Y, D.P, D.Q,
                              D.DomMin.X,   D.DomMin.Y,   D.DomMax.X,   D.DomMax.Y,   D.ImgMin.X,
                              D.ImgMin.Y,   D.ImgMax.X,   D.ImgMax.Y};
    for (double V : Numbers)
        if (!std::isfinite(V)) return false;
    SphereView Lone = D.ImgSphere;
    Lone.Centre = D.ImgSphereCentre;
    Lone.Radius = D.ImgSphereRadius;
    std::memcpy(Lone.Rotation, D.ImgSphereRotation, sizeof Lone.Rotation);
    return Plausible(Lone) && (D.Version == 0 || (Plausible(D.DomSphere) && Plausible(D.ImgSphere)));
}

constexpr const char* Magic = "Norlith";
constexpr const char* Kind = ".tvn";

}  // namespace

const char* DocumentMessage(DocumentError E) {
    switch (E) {
        case DocumentError::UnknownMapType: return "Unknown map type";
        case DocumentError::BadFileType: return "Bad file type";
        case DocumentError::NotAssigned: return "File not assigned";
        case DocumentError::WriteError: return "Error on writing to file";
        case DocumentError::ReadError: return "Error on reading file";
        case DocumentError::VersionNotSupported: return "File version not supported";
        case DocumentError::None: break;
    }
    return "";
}

std::vector<uint8_t> WriteDocument(const MapDocument& D) {
    Writer W;
    W.String(Magic);
    W.String(Kind);
    W.String("1");
    const uint8_t Reserved[8] = {};
    W.Bytes(Reserved, 8);
    W.Int32(D.MapType);
    W.Int32(D.Flags);
    W.String(D.Formula1);
    W.String(D.Formula2);
    W.Point(D.ParamMin);
    W.Point(D.ParamMax);
    W.Double(D.P);
    W.Double(D.Q);
    W.Point(D.DomMin);
    W.Point(D.DomMax);
    W.Point(D.ImgMin);
    W.Point(D.ImgMax);
    W.Point(D.ImgSphereCentre);
    for (const auto& Row : D.ImgSphereRotation)
        for (double V : Row) W.Double(V);
    W.Double(D.ImgSphereRadius);
    W.Sphere(D.DomSphere);
    W.Sphere(D.ImgSphere);
    return std::move(W.Out);
}

DocumentError ReadDocument(std::span<const uint8_t> Bytes, MapDocument& Out) {
    if (Bytes.size() > MaxDocumentBytes) return DocumentError::ReadError;
    Reader R(Bytes);
    MapDocument D = Out;
    // The header: a file too short to hold it is not one of ours.
    if (R.String() != Magic || R.Failed()) return DocumentError::BadFileType;
    if (R.String() != Kind || R.Failed()) return DocumentError::BadFileType;
    std::string Version = R.String();
    if (R.Failed()) return DocumentError::ReadError;
    if (Version == "0")
        D.Version = 0;
    else if (Version == "1")
        D.Version = 1;
    else
        return DocumentError::VersionNotSupported;
    R.Skip(8);
    D.MapType = R.Int32();
    if (R.Failed()) return DocumentError::ReadError;
    if (D.MapType < 0 || D.MapType > 2) return DocumentError::UnknownMapType;
    D.Flags = R.Int32();
    D.Formula1 = R.String();
    D.Formula2 = R.String();
    D.ParamMin = R.Point();
    D.ParamMax = R.Point();
    D.P = R.Double();
    D.Q = R.Double();
    D.DomMin = R.Point();
    D.DomMax = R.Point();
    D.ImgMin = R.Point();
    D.ImgMax = R.Point();
    D.ImgSphereCentre = R.Point();
    for (auto& Row : D.ImgSphereRotation)
        for (double& V : Row) V = R.Double();
    D.ImgSphereRadius = R.Double();
    if (D.Version == 1) {
        D.DomSphere = R.Sphere();
        D.ImgSphere = R.Sphere();
    }
    if (R.Failed() || !Plausible(D)) return DocumentError::ReadError;
    Out = std::move(D);
    return DocumentError::None;
}

std::string Utf8ToLatin1(std::string_view Text) {
    std::string Out;
    for (size_t I = 0; I < Text.size();) {
        auto C = static_cast<unsigned char>(Text[I]);
        if (C < 0x80) {
            Out += static_cast<char>(C);
            ++I;
        } else if ((C & 0xE0) == 0xC0 && I + 1 < Text.size() &&
                   (static_cast<unsigned char>(Text[I + 1]) & 0xC0) == 0x80) {
            unsigned Code = ((C & 0x1Fu) << 6) | (static_cast<unsigned char>(Text[I + 1]) & 0x3Fu);
            Out += Code < 0x100 ? static_cast<char>(Code) : '?';
            I += 2;
        } else {
            // Longer sequences lie beyond Latin-1; skip the whole sequence.
            Out += '?';
            ++I;
            while (I < Text.size() && (static_cast<unsigned char>(Text[I]) & 0xC0) == 0x80) ++I;
        }
    }
    return Out;
}

std::string Latin1ToUtf8(std::string_view Text) {
    std::string Out;
    for (char Ch : Text) {
        auto C = static_cast<unsigned char>(Ch);
        if (C < 0x80) {
            Out += static_cast<char>(C);
        } else {
            Out += static_cast<char>(0xC0 | (C >> 6));
            Out += static_cast<char>(0x80 | (C & 0x3F));
        }
    }
    return Out;
}

std::string FileTitle(const std::string& Path) {
    size_t Slash = Path.find_last_of('/');
    std::string Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
    if (Name.size() > 4) {
        std::string End = Name.substr(Name.size() - 4);
        for (char& C : End)
            if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
        if (End == ".tvn") Name.resize(Name.size() - 4);
    }
    return Name;
}

std::string DocumentCaption(const std::string& Path) {
    size_t Slash = Path.find_last_of('/');
    std::string Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
    if (Name.size() >= 4 && Name[Name.size() - 4] == '.') Name.resize(Name.size() - 4);
    return Name;
}

std::string WithDocumentExtension(std::string Path) {
    if (Path.size() < 4 || Path[Path.size() - 4] != '.') Path += ".tvn";
    return Path;
}
