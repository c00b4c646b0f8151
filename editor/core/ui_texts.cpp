#include "core/ui_texts.h"

namespace tarn::editor {

namespace {

struct Entry {
  const char* english;
  const char* russian;
};

const Entry kTexts[kUiTextCount] = {
    {"File", "Файл"},
    {"Edit", "Правка"},
    {"Compile", "Компиляция"},
    {"Run", "Запуск"},
    {"Options", "Параметры"},
    {"Help", "Помощь"},
    {"New", "Новый"},
    {"Open...", "Открыть..."},
    {"Save", "Сохранить"},
    {"Save as...", "Сохранить как..."},
    {"Close", "Закрыть"},
    {"Exit", "Завершить работу"},
    {"Undo", "Отмена"},
    {"Cut", "Вырезать"},
    {"Copy", "Копировать"},
    {"Paste", "Вставить"},
    {"Help", "Справка"},
    {"About", "О программе"},
    {"New", "Новый"},
    {"Open", "Открыть"},
    {"Save", "Сохранить"},
    {"Compile", "Компиляция"},
    {"Run", "Запуск"},
    {"Help", "Справка"},
    {"F1 - Help", "F1 - Справка"},
    {"Save changes?", "Сохранить изменения?"},
    {"Compiling: There are errors.", "Компиляция выполнена. В программе есть ошибки."},
    {"Compiling: Done.", "Компиляция выполнена. Ошибок не обнаружено."},
    {"Modified", "Изменен"},
    {"File not found.", "Нет файла."},
    {"Tarnwell", "Tarnwell"},
    {"tarnwell_en.chm", "tarnwell_ru.chm"},
    {"Help file not exist.", "Нет файла справки."},
    {"Options", "Параметры"},
    {"Editor", "Редактор кода"},
    {"Font:", "Шрифт:"},
    {"Compile: ", "Компляция: "},
    {"Done: ", "Выполнено : "},
    {"There are errors.", "В программе есть ошибки."},
    {"No compilation result. Try again.", "Нет результата компиляции. Попробуйте еще раз."},
    {"Access error to .cou file (1)", "Ошибка доступа к .cou файлу (1)"},
    {"Access error to .cou file (2)", "Ошибка доступа к .cou файлу (2)"},
    {"About Tarnwell", "About Tarnwell"},
    {"Tarnwell 3.2", "Tarnwell 3.2"},
    {"Copyright (c) 2026 The Tarnwell authors", "Copyright (c) 2026 The Tarnwell authors"},
    {"Reopen ", "Последний файл "},
    {"Cancel", "Отмена"},
    {"The compiler cannot write to a folder whose name has blanks and no short form: ",
     "Компилятор не может писать в папку, в имени которой есть пробелы и нет короткого имени: "},
    {"Keep the program's window open when it ends", "Не закрывать окно программы после ее завершения"},
    {"Press any key to close", "Нажмите любую клавишу, чтобы закрыть окно"},
};

}  // namespace

Language language_for_locale(uint32_t lcid) { return lcid == 1049 ? Language::Russian : Language::English; }

std::string_view ui_text(Language language, int index) {
  if (index < 0 || index >= kUiTextCount) return {};
  return language == Language::Russian ? kTexts[index].russian : kTexts[index].english;
}

}  // namespace tarn::editor
