// The map's history for Undo and Redo: snapshots of everything that makes the map (the
// document of the scene, the input fields as typed, the kind), and the steps between them on
// a QUndoStack, whose clean state is the document as last opened or saved.
#pragma once

#include <QUndoCommand>

#include <cstdint>
#include <string>
#include <vector>

class TorvaneScene;

// The input fields a snapshot keeps: every field but the four read-outs of the mouse.
inline constexpr int SnapshotFieldCount = 16;

struct MapSnapshot {
    std::vector<uint8_t> Document;  // the scene's document, byte for byte as saved
    std::string Texts[SnapshotFieldCount];
    int MapType = 0;
    // Whether the fields had been read into a map (Draw It succeeded); a snapshot of the
    // window before its first drawing restores fields and menus only.
    bool Drawn = false;
    // The document's name and the caption: restored with the map, not a change of it.
    std::string FileName, Caption;

    bool SameMap(const MapSnapshot& Other) const;
};

// One step: the map before and after it. Pushed after the change happened, so its first
// redo does nothing.
class MapStep : public QUndoCommand {
public:
    MapStep(TorvaneScene& Scene, MapSnapshot Before, MapSnapshot After);
    void undo() override;
    void redo() override;

private:
    TorvaneScene& Scene;
    MapSnapshot Before, After;
    bool Done = true;
};
