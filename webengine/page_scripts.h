#pragma once
// The two scripts through which the Qt WebEngine engine sees and changes a
// page, and the reading of what they return. The snapshot script lists every
// element of a document (and of the same-site frame documents inside it) in
// the order of document.getElementsByTagName('*'), with the properties of the
// document model, and returns it as one JSON text. The actions script carries
// a walk's value writes, selections and clicks out on the live elements: the
// value through the element's native setter followed by "input" and "change"
// events, so scripts of the page see the change, and a click by click().
//
// Documents are addressed by their frame path (the indices of the FRAME and
// IFRAME elements leading to them from the page, empty for the page itself)
// and stamped with an id when snapshot, so actions meant for a document that
// has since been replaced are dropped instead of landing on another page.
//
// Both scripts run in an isolated world: the page's own scripts cannot see or
// change them, nor the stamps they leave.

#include <QString>
#include <string>
#include <vector>

#include "web/document.h"

namespace larkspur::webengine {

// Frames inside frames are listed down to this depth, and at most this many
// frame documents per snapshot: the same bounds as the HTTP engine's.
inline constexpr int kSnapshotFrameDepth = 3;
inline constexpr int kSnapshotFrameLimit = 16;

struct SnapshotDocument {
  std::vector<int> path;  // frame path; empty for the page
  QString id;             // the stamp put on the live document
  web::Document document;
};

// A script that snapshots the document at `path` with the documents of its
// frames; stamps are `idBase` followed by ":" and a number. When `watchToken`
// is not empty, every FRAME and IFRAME element met gets a load listener that
// writes `watchToken` followed by the frame's path as JSON to the console each
// time that frame finishes loading a new document.
QString snapshotScript(const std::vector<int>& path, const QString& idBase, const QString& watchToken);

// Reads what the snapshot script returned: the frame documents first (each
// after the frames inside it), the document at the path last. Empty when the
// text is not a snapshot.
std::vector<SnapshotDocument> parseSnapshot(const QString& json);

// A script that carries out `actions` (recorded on a snapshot of `document`)
// on the document at `path`, provided it still carries the stamp `id`. An
// action whose element no longer has the tag and name it had is passed over.
QString actionsScript(const std::vector<int>& path, const QString& id, const web::Document& document,
                      const std::vector<web::PageAction>& actions);

// The frame path written after the watch token, or false when `message` is
// not such a line.
bool parseFrameLoad(const QString& message, const QString& watchToken, std::vector<int>& path);

}  // namespace larkspur::webengine
