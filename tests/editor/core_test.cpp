// The editor's portable core: interface texts, settings, recent files, the two
// source encodings, saved names and the file commands over a fake window.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>

#include "core/commands.h"
#include "core/settings.h"
#include "core/source_text.h"
#include "core/ui_texts.h"

namespace tarn::editor {
namespace {

TEST(UiTexts, BothLanguagesHoldEveryEntryOfTheTable) {
  const char* english[kUiTextCount] = {
      "File", "Edit", "Compile", "Run", "Options", "Help", "New", "Open...", "Save", "Save as...", "Close",
      "Exit", "Undo", "Cut", "Copy", "Paste", "Help", "About", "New", "Open", "Save", "Compile", "Run",
      "Help", "F1 - Help", "Save changes?", "Compiling: There are errors.", "Compiling: Done.", "Modified",
      "File not found.", "Tarnwell", "tarnwell_en.chm", "Help file not exist.", "Options", "Editor",
      "Font:", "Compile: ", "Done: ", "There are errors.", "No compilation result. Try again.",
      "Access error to .cou file (1)", "Access error to .cou file (2)", "About Tarnwell", "Tarnwell 3.2",
      nullptr, "Reopen ", "Cancel", "The compiler cannot write to a folder whose name has blanks and no short form: ",
      "Keep the program's window open when it ends", "Press any key to close"};
  const char* russian[kUiTextCount] = {
      "Файл", "Правка", "Компиляция", "Запуск", "Параметры", "Помощь", "Новый", "Открыть...", "Сохранить",
      "Сохранить как...", "Закрыть", "Завершить работу", "Отмена", "Вырезать", "Копировать", "Вставить",
      "Справка", "О программе", "Новый", "Открыть", "Сохранить", "Компиляция", "Запуск", "Справка",
      "F1 - Справка", "Сохранить изменения?", "Компиляция выполнена. В программе есть ошибки.",
      "Компиляция выполнена. Ошибок не обнаружено.", "Изменен", "Нет файла.", "Tarnwell",
      "tarnwell_ru.chm", "Нет файла справки.", "Параметры", "Редактор кода", "Шрифт:", "Компляция: ",
      "Выполнено : ", "В программе есть ошибки.", "Нет результата компиляции. Попробуйте еще раз.",
      "Ошибка доступа к .cou файлу (1)", "Ошибка доступа к .cou файлу (2)", "About Tarnwell",
      "Tarnwell 3.2", nullptr, "Последний файл ", "Отмена",
      "Компилятор не может писать в папку, в имени которой есть пробелы и нет короткого имени: ",
      "Не закрывать окно программы после ее завершения", "Нажмите любую клавишу, чтобы закрыть окно"};
  for (int i = 0; i < kUiTextCount; ++i) {
    if (!english[i]) {  // the copyright line is ours to word, the same in both
      EXPECT_NE(ui_text(Language::English, i).find("Copyright"), std::string_view::npos);
      EXPECT_EQ(ui_text(Language::Russian, i), ui_text(Language::English, i));
      continue;
    }
    EXPECT_EQ(ui_text(Language::English, i), english[i]) << i;
    EXPECT_EQ(ui_text(Language::Russian, i), russian[i]) << i;
  }
  EXPECT_EQ(ui_text(Language::English, kUiTextCount), "");
  EXPECT_EQ(language_for_locale(1049), Language::Russian);
  EXPECT_EQ(language_for_locale(1033), Language::English);
  EXPECT_EQ(language_for_locale(1058), Language::English);
}

TEST(Settings, MissingKeysAndUnreadableNumbersKeepTheirDefaults) {
  for (const char* ini : {"", "[other]\r\nfontsize=12\r\n", "[parameters]\r\nfontsize=big\r\nform_width=\r\n"}) {
    Settings s = read_settings(ini);
    EXPECT_EQ(s.fontname, "Consolas");
    EXPECT_EQ(s.fontsize, 10);
    EXPECT_EQ(s.form_width, 800);
    EXPECT_EQ(s.form_height, 600);
    EXPECT_EQ(s.lastfile, "");
    EXPECT_EQ(s.pasfolder, "c:\\");
  }
}

TEST(Settings, WrittenSettingsReadBackAndOtherSectionsStay) {
  Settings s;
  s.fontname = "Courier New";
  s.fontsize = 14;
  s.form_width = 1024;
  s.form_height = 700;
  s.lastfile = "C:\\work\\моя программа.pas#C:\\a.pas#####";
  s.pasfolder = "C:\\work\\";
  s.keepconsole = false;
  std::string old = "[window]\r\nx=1\r\n[Parameters]\r\nfontname=Arial\r\n[tail]\nkey = value\n";
  std::string ini = write_settings(s, old);
  EXPECT_EQ(ini,
            "[window]\r\nx=1\r\n[parameters]\r\nfontname=Courier New\r\nfontsize=14\r\nform_width=1024\r\n"
            "form_height=700\r\nlastfile=C:\\work\\моя программа.pas#C:\\a.pas#####\r\n"
            "pasfolder=C:\\work\\\r\nkeepconsole=0\r\n[tail]\r\nkey = value\r\n");
  Settings back = read_settings(ini);
  EXPECT_FALSE(back.keepconsole);
  EXPECT_TRUE(read_settings("").keepconsole);
  EXPECT_EQ(back.fontname, s.fontname);
  EXPECT_EQ(back.fontsize, 14);
  EXPECT_EQ(back.form_width, 1024);
  EXPECT_EQ(back.form_height, 700);
  EXPECT_EQ(back.lastfile, s.lastfile);
  EXPECT_EQ(back.pasfolder, s.pasfolder);
}

TEST(RecentFiles, NewestFirstFiveAtMostAndTheSameFileTwiceIsOneEntry) {
  RecentFiles r;
  EXPECT_EQ(format_lastfile(r), "#####");
  EXPECT_TRUE(push_recent(r, "a"));
  EXPECT_FALSE(push_recent(r, "a"));
  EXPECT_EQ(format_lastfile(r), "a#####");
  for (const char* p : {"b", "c", "d", "e", "f"}) push_recent(r, p);
  EXPECT_EQ(format_lastfile(r), "f#e#d#c#b#");
  EXPECT_FALSE(push_recent(r, ""));

  RecentFiles back = parse_lastfile("C:\\x y\\p1.pas#p2#p3#");
  EXPECT_EQ(back.paths[0], "C:\\x y\\p1.pas");
  EXPECT_EQ(back.paths[2], "p3");
  EXPECT_EQ(back.paths[3], "");
  EXPECT_EQ(parse_lastfile("1#2#3#4#5#6#").paths[4], "5");
  EXPECT_EQ(parse_lastfile("last-without-hash").paths[0], "last-without-hash");
  EXPECT_EQ(format_lastfile(parse_lastfile("f#e#d#c#b#")), "f#e#d#c#b#");
}

TEST(Encodings, EveryCyrillicLetterRoundTripsThroughCodePage866) {
  // А..Я, а..я and Ё, ё in code page 1251, and where code page 866 has them.
  std::map<unsigned char, unsigned char> letters;
  for (int b = 0xC0; b <= 0xDF; ++b) letters[b] = static_cast<unsigned char>(0x80 + (b - 0xC0));
  for (int b = 0xE0; b <= 0xEF; ++b) letters[b] = static_cast<unsigned char>(0xA0 + (b - 0xE0));
  for (int b = 0xF0; b <= 0xFF; ++b) letters[b] = static_cast<unsigned char>(0xE0 + (b - 0xF0));
  letters[0xA8] = 0xF0;
  letters[0xB8] = 0xF1;
  std::set<unsigned char> ascii_letters;
  for (auto [ansi, ascii] : letters) {
    EXPECT_EQ(ansi_to_ascii(ansi), ascii) << int(ansi);
    EXPECT_EQ(ascii_to_ansi(ascii), ansi) << int(ascii);
    ascii_letters.insert(ascii);
  }
  for (int b = 0; b < 256; ++b) {
    unsigned char byte = static_cast<unsigned char>(b);
    if (!letters.count(byte)) {
      EXPECT_EQ(ansi_to_ascii(byte), b);
    }
    if (!ascii_letters.count(byte)) {
      EXPECT_EQ(ascii_to_ansi(byte), b);
    }
  }
}

TEST(Encodings, FilesSplitIntoLinesAndSaveWithCrLfAfterEachLine) {
  std::u16string text = u"program ёлка;\r\nbegin\nwriteln('Ё');\rend.";
  auto lines = split_lines(text);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[3], u"end.");
  EXPECT_EQ(split_lines(u"a\r\n").size(), 1u);
  EXPECT_EQ(split_lines(u"a\r\n\r\n").size(), 2u);
  EXPECT_TRUE(split_lines(u"").empty());

  std::string ansi = encode_source(lines, Encoding::Ansi);
  EXPECT_EQ(ansi, "program \xB8\xEB\xEA\xE0;\r\nbegin\r\nwriteln('\xA8');\r\nend.\r\n");
  std::string ascii = encode_source(lines, Encoding::Ascii);
  EXPECT_EQ(ascii, "program \xF1\xAB\xAA\xA0;\r\nbegin\r\nwriteln('\xF0');\r\nend.\r\n");
  EXPECT_EQ(decode_source(ascii, Encoding::Ascii), lines);
  EXPECT_EQ(decode_source(ansi, Encoding::Ansi), lines);
  // An ASCII file opened as ANSI shows its code page 866 bytes as 1251 characters.
  EXPECT_EQ(decode_source("\xA0", Encoding::Ansi)[0], u"\u00A0");
  EXPECT_EQ(encode_source({u"\u4E2D"}, Encoding::Ansi), "?\r\n");
}

TEST(Names, BlanksInTheFileNameBecomeUnderscoresAndTheCaretShowsPadded) {
  EXPECT_EQ(blanks_to_underscores("C:\\my work\\first try.pas"), "C:\\my work\\first_try.pas");
  EXPECT_EQ(blanks_to_underscores("a b  c.pas"), "a_b__c.pas");
  EXPECT_EQ(folder_of("C:\\my work\\x.pas"), "C:\\my work\\");
  EXPECT_EQ(folder_of("noname.pas"), "");
  EXPECT_EQ(caret_display(1, 1), "   1 :   1");
  EXPECT_EQ(caret_display(12345, 7), "12345 :   7");
}

// A window that records what the commands asked of it.
class FakeView : public DocumentView {
 public:
  bool modified() const override { return modified_; }
  void set_modified(bool m) override { modified_ = m; }
  Answer ask_save(const std::string& path) override {
    log.push_back("ask " + path);
    Answer a = answers.front();
    answers.pop_front();
    return a;
  }
  std::optional<FileChoice> open_dialog(const std::string& folder) override {
    log.push_back("open-dialog " + folder);
    return dialog;
  }
  std::optional<FileChoice> save_dialog(const std::string& folder) override {
    log.push_back("save-dialog " + folder);
    return dialog;
  }
  bool load(const std::string& path, Encoding e) override {
    log.push_back("load " + path + (e == Encoding::Ascii ? " ascii" : " ansi"));
    if (!files.count(path)) return false;
    text = files[path];
    return true;
  }
  bool store(const std::string& path, Encoding e) override {
    log.push_back("store " + path + (e == Encoding::Ascii ? " ascii" : " ansi"));
    if (!writable) return false;
    files[path] = text;
    return true;
  }
  void clear_text() override { text.clear(); }
  void clear_messages() override {}
  void show_title(const std::string& t) override { title = t; }
  void show_recent(const RecentFiles& r) override { recent = r; }
  void close_running_program(const std::string& exe) override {
    if (!exe.empty()) log.push_back("close " + exe);
  }
  void store_settings(const Settings& s) override { stored = s; }
  std::string documents_folder() override { return "D:\\docs\\"; }

  bool modified_ = false, writable = true;
  std::deque<Answer> answers;
  std::optional<FileChoice> dialog;
  std::map<std::string, std::string> files;
  std::string text, title;
  RecentFiles recent;
  Settings stored;
  std::vector<std::string> log;
};

class CommandsTest : public ::testing::Test {
 protected:
  FakeView view;
  Settings settings;
  Commands commands{view, settings, "Tarnwell"};
};

TEST_F(CommandsTest, AskSaveYesNoCancelOnATitledDocument) {
  view.files["C:\\p.pas"] = "old";
  ASSERT_TRUE(commands.open_recent(1) == false);  // no recent files yet
  view.dialog = FileChoice{"C:\\p.pas", Encoding::Ascii};
  ASSERT_TRUE(commands.open());
  EXPECT_EQ(view.title, "Tarnwell - C:\\p.pas");
  EXPECT_EQ(settings.pasfolder, "C:\\");
  EXPECT_EQ(view.stored.lastfile, "C:\\p.pas#####");

  view.text = "edited";
  view.modified_ = true;
  view.answers = {Answer::Cancel, Answer::No, Answer::Yes};
  EXPECT_FALSE(commands.new_document());  // Cancel: nothing changes
  EXPECT_EQ(view.text, "edited");
  EXPECT_EQ(commands.path(), "C:\\p.pas");

  view.modified_ = true;
  EXPECT_TRUE(commands.new_document());  // No: dropped, file untouched
  EXPECT_EQ(view.files["C:\\p.pas"], "old");
  EXPECT_EQ(view.title, "Tarnwell - noname.pas");
  EXPECT_TRUE(commands.untitled());

  ASSERT_TRUE(commands.open_recent(1));  // recent files open as ANSI
  EXPECT_EQ(view.log.back(), "load C:\\p.pas ansi");
  view.text = "edited again";
  view.modified_ = true;
  commands.exe_path() = "C:\\p.exe";
  EXPECT_TRUE(commands.close_window());  // Yes: saved in place as ANSI
  EXPECT_EQ(view.files["C:\\p.pas"], "edited again");
  EXPECT_FALSE(view.modified_);
  EXPECT_EQ(view.log.back(), "close C:\\p.exe");
}

TEST_F(CommandsTest, UntitledSaveGoesThroughTheDialogAndStoresBlanksAsUnderscores) {
  view.text = "program x;";
  view.modified_ = true;
  view.dialog = std::nullopt;
  EXPECT_FALSE(commands.save());  // dialog cancelled: still untitled and modified
  EXPECT_TRUE(commands.untitled());
  EXPECT_TRUE(view.modified_);

  view.answers = {Answer::Yes};
  EXPECT_FALSE(commands.close_window());  // Yes, then the dialog cancelled: the window stays
  EXPECT_EQ(view.log.back(), "save-dialog D:\\docs\\");

  view.dialog = FileChoice{"C:\\my work\\first try.pas", Encoding::Ascii};
  ASSERT_TRUE(commands.save());
  EXPECT_EQ(view.log.back(), "store C:\\my work\\first_try.pas ascii");
  EXPECT_EQ(view.title, "Tarnwell - C:\\my work\\first_try.pas");
  EXPECT_EQ(settings.pasfolder, "C:\\my work\\");
  EXPECT_FALSE(commands.untitled());
  EXPECT_EQ(commands.recent().paths[0], "C:\\my work\\first_try.pas");

  view.modified_ = true;
  ASSERT_TRUE(commands.save());  // titled: in place, ANSI, no dialog
  EXPECT_EQ(view.log.back(), "store C:\\my work\\first_try.pas ansi");
  EXPECT_FALSE(view.modified_);
}

TEST_F(CommandsTest, AFailedLoadOrSaveKeepsTheDocumentAsItWas) {
  view.text = "mine";
  view.modified_ = true;
  view.answers = {Answer::No};
  view.dialog = FileChoice{"C:\\missing.pas", Encoding::Ansi};
  EXPECT_FALSE(commands.open());
  EXPECT_EQ(view.text, "mine");
  EXPECT_EQ(commands.path(), "noname.pas");
  EXPECT_EQ(commands.recent().paths[0], "");

  view.writable = false;
  view.dialog = FileChoice{"C:\\x.pas", Encoding::Ansi};
  EXPECT_FALSE(commands.save_as());
  EXPECT_TRUE(view.modified_);
  EXPECT_TRUE(commands.untitled());
  view.answers = {Answer::Yes};
  EXPECT_FALSE(commands.new_document());  // the save failed, so the text stays
  EXPECT_EQ(view.text, "mine");
}

}  // namespace
}  // namespace tarn::editor

// --- compiling from the editor ---

#include "core/compile_run.h"

namespace {

using tarn::editor::CompileReport;

TEST(CompileReport, FirstErrorGivesRowCodeCaretAndThePaneLines) {
  const char* cou =
      "Tarnwell compiler\r\n"
      "C:\\work\\a (b).pas(12): Error 105: Unknown identifier \"x\".\r\n"
      "  y := x;\r\n"
      "      ^\r\n"
      "C:\\work\\a.pas(14): Error 2003: second error\r\n";
  CompileReport r = tarn::editor::read_report(cou);
  EXPECT_TRUE(r.readable && r.error && r.failed());
  EXPECT_EQ(r.row, 12);
  EXPECT_EQ(r.code, 105);
  EXPECT_EQ(r.caret, 7);
  auto lines = tarn::editor::pane_lines(r, tarn::editor::Language::English);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Error code: 105");
  EXPECT_EQ(lines[1], "Compiling: There are errors.");
  EXPECT_EQ(lines[2], "Error 105: Unknown identifier \"x\".");
  EXPECT_EQ(lines[3], "Row: 12");

  // The hint of a code in the table; a row of 0 marks nothing and says no row.
  r = tarn::editor::read_report("x.pas(0): Error 2003: Undeclared identifier\r\n");
  EXPECT_EQ(r.row, 0);
  EXPECT_EQ(r.caret, 0);
  lines = tarn::editor::pane_lines(r, tarn::editor::Language::English);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "Error 2003: Undeclared identifier - необъявленный иденификатор");
  EXPECT_EQ(std::string(tarn::editor::error_hint(2029)), "");
  EXPECT_EQ(tarn::editor::error_hint(105), nullptr);
}

TEST(CompileReport, SuccessOnlyWithAFileThatSaysSo) {
  CompileReport ok = tarn::editor::read_report("Tarnwell compiler\r\n12 lines compiled.\r\n");
  EXPECT_FALSE(ok.failed());
  auto lines = tarn::editor::pane_lines(ok, tarn::editor::Language::English);
  EXPECT_EQ(lines, (std::vector<std::string>{"Compiling: Done.", "12 lines compiled."}));
  // An empty or missing file is a failed compile, never a stale success.
  CompileReport empty = tarn::editor::read_report("");
  EXPECT_TRUE(empty.failed());
  EXPECT_EQ(tarn::editor::pane_lines(empty, tarn::editor::Language::English)[0], "Compiling: There are errors.");
}

TEST(CompilerCommandLine, ParametersInOrderAndNeverCut) {
  std::string folder = "C:\\" + std::string(240, 'd');
  std::string par = tarn::editor::compiler_parameters("C:\\L\\tarnc\\src.tmp", folder + "\\p.exe", folder + "\\p.rs",
                                                      tarn::editor::Language::Russian, "C:\\L\\tarnc\\src.cou");
  EXPECT_EQ(par, "C:\\L\\tarnc\\src.tmp /E:" + folder + "\\p.exe /R:" + folder + "\\p.rs /L:RU /O:C:\\L\\tarnc\\src.cou");
  std::string line = tarn::editor::command_line("C:\\TARN\\tarnc.exe", par);
  EXPECT_GT(line.size(), 500u);
  EXPECT_EQ(line.substr(line.size() - 21), "/O:C:\\L\\tarnc\\src.cou");
  EXPECT_EQ(tarn::editor::with_extension("C:\\a.b\\prog.pas", ".exe"), "C:\\a.b\\prog.exe");
  EXPECT_EQ(tarn::editor::with_extension("C:\\a.b\\prog", ".rs"), "C:\\a.b\\prog.rs");
  EXPECT_TRUE(tarn::editor::needs_short_form("C:\\my files\\p.exe"));
}

TEST(PathShortening, FoldersGiveWayThenTheDrive) {
  auto chars = [](std::string_view s) { return static_cast<int>(s.size()); };  // one unit a character
  const std::string path = "C:\\one\\two\\three\\prog.pas";
  EXPECT_EQ(tarn::editor::shorten_path(path, 100, chars), path);
  EXPECT_EQ(tarn::editor::shorten_path(path, 25, chars), path);
  EXPECT_EQ(tarn::editor::shorten_path(path, 24, chars), "C:\\...\\three\\prog.pas");
  EXPECT_EQ(tarn::editor::shorten_path(path, 20, chars), "C:\\...\\prog.pas");
  EXPECT_EQ(tarn::editor::shorten_path(path, 14, chars), "...\\prog.pas");
  EXPECT_EQ(tarn::editor::shorten_path(path, 3, chars), "prog.pas");
}

}  // namespace
