// The document's commands on the main window and the status it shows there
// (edit counter, title, Data Lock, calculation and message panes).
#pragma once

#include <QPointer>
#include <memory>

#include "app/tern_view.h"

class CEditableOraGridData;
class CMainFrame;
class CTernApp;
class CTernDoc;

namespace kestrel {

// The document and view of the running program.
struct DocumentArea {
  CTernApp* app = nullptr;
  std::unique_ptr<CTernDoc> doc;
  CEditableOraGridData* ora = nullptr;  // the document's grid data
  QPointer<CTernView> view;             // owned by the main window
  CMainFrame* frame = nullptr;
};

// Connects the view's hooks to the frame's panes and the settings.
void WireView(DocumentArea& area);
// Registers every document command on the frame.
void RegisterDocumentCommands(DocumentArea& area);
// Edit counter, title, Data Lock pane, calculation pane.
void UpdateDocumentPanes(DocumentArea& area);

}  // namespace kestrel
