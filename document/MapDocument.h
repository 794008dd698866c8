// Map documents (".tvn"): the byte layout of a saved map, written from and read into a plain
// record. Reading is all or nothing: a document is returned only when every field was read
// from bytes that are there, so a bad or cut file never reaches the scene half applied.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/Maps.h"

enum class DocumentError : int {
    None = 0,
    UnknownMapType = -1,
    BadFileType = -2,
    NotAssigned = -3,
    WriteError = -4,
    ReadError = -5,
    VersionNotSupported = -6,
};

// The message box text of an error code.
const char* DocumentMessage(DocumentError E);

// Documents are a few hundred bytes; anything beyond this is not one of ours.
inline constexpr size_t MaxDocumentBytes = 1 << 20;

// The formula of an old fractional-linear map (map type 2), which opens as a complex map.
inline constexpr const char* FractionalLinearFormula = "(p z + 1)/(z - 1)";

struct MapDocument {
    int Version = 1;  // 0 or 1 as read; always written as 1
    int32_t MapType = 0;  // 0 real, 1 complex, 2 an old fractional-linear map (read only)
    int32_t Flags = 0;    // the scene's view flags
    std::string Formula1, Formula2;  // bytes as stored (single-byte text)
    Point2 ParamMin, ParamMax;
    double P = 0, Q = 0;
    Point2 DomMin, DomMax, ImgMin, ImgMax;
    // The image sphere's centre, rotation and radius as stored on their own; a version 1
    // document also holds both sphere records, whose image record wins.
    Point2 ImgSphereCentre;
    double ImgSphereRotation[3][3] = {};
    double ImgSphereRadius = 1;
    SphereView DomSphere, ImgSphere;
};

std::vector<uint8_t> WriteDocument(const MapDocument& D);

// Reads a whole document; on any error Out is left as it was.
DocumentError ReadDocument(std::span<const uint8_t> Bytes, MapDocument& Out);

// Formula texts are stored in a single-byte code page (Latin-1); the program works in UTF-8.
// Characters beyond Latin-1 are stored as '?'.
std::string Utf8ToLatin1(std::string_view Text);
std::string Latin1ToUtf8(std::string_view Text);

// The file name without its folder, and without ".tvn" (in any case) when the name is longer
// than four characters and ends in it.
std::string FileTitle(const std::string& Path);

// The window's caption for a document: the name without its folder, cut before a
// three-letter extension.
std::string DocumentCaption(const std::string& Path);
// A name whose fourth character from the end is not "." gets ".tvn".
std::string WithDocumentExtension(std::string Path);
