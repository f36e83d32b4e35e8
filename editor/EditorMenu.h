#pragma once

namespace brumalux
{

class DemoEditorComponent;

// The menu a right-click on the editor's background opens: each feature adds its own
// section. Shown asynchronously; its actions do nothing once the editor is gone.
// Message thread.
void ShowEditorMenu(DemoEditorComponent& editor);

} // namespace brumalux
