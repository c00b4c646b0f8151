// The interface texts of the editor window in English and Russian (UTF-8).
// The language is chosen once at start-up from the thread locale.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarn::editor {

enum class Language { English, Russian };

// Indices into the text table, named where the window uses them.
enum UiText : int {
  kMenuFile = 0, kMenuEdit, kMenuCompile, kMenuRun, kMenuOptions, kMenuHelp,
  kItemNew, kItemOpen, kItemSave, kItemSaveAs, kItemClose, kItemExit,
  kItemUndo, kItemCut, kItemCopy, kItemPaste, kItemHelp, kItemAbout,
  kHintNew, kHintOpen, kHintSave, kHintCompile, kHintRun, kHintHelp,
  kStatusHelp, kSaveChanges, kCompilingErrors, kCompilingDone, kModified, kFileNotFound,
  kProductTitle, kHelpFile, kHelpFileMissing, kOptionsCaption, kOptionsEditor, kOptionsFont,
  kCompileLabel, kDoneLabel, kThereAreErrors, kNoCompilationResult, kCouAccessError1,
  kCouAccessError2, kAboutCaption, kAboutVersion, kAboutCopyright, kReopen,
  kCancelButton, kNoShortPath, kKeepConsole, kPressAnyKey,
  kUiTextCount
};

// Russian when the thread locale is 1049, English otherwise.
Language language_for_locale(uint32_t lcid);

std::string_view ui_text(Language language, int index);

}  // namespace tarn::editor
