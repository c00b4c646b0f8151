#include "base/diagnostics.h"

#include "common/codepage.h"
#include "common/text.h"

namespace tarn {

const std::vector<termsg>& message_table() {
  static const std::vector<termsg> table = {
      {0, "'%s'", ""},
      {2, "Identifier expected.", "Ожидается идентификатор"},
      {3, "Unknown identifier: '%s'.", "Неизвестный идентификатор: '%s'."},
      {4, "Duplicate identifier: '%s'.", "Повторное объявление идентификатора: '%s'."},
      {21, "Error in type ('integer', 'float', 'string' , 'array' or usert type expected).",
       "Неверно указан тип (ожидается 'integer', 'float', 'string', 'array' или тип, объявленный программистом)."},
      {85, "';' expected.", " Ожидается ';'"},
      {86, "':' expected.", "':' ожидается."},
      {99, "'%s' expected.", "'%s' ожидается."},
      {100, "Variable or constant expected, but '%s' found.", "Переменная или константа ожидается, но '%s' найден."},
      {101, "Compare operator expected, but '%s' found.", "Ожидается оператор сравнения, но '%s' найде."},
      {102, "Variable, constant or '(' expected, but '%s' found.",
       "Переменная, константа или '(' ожидается, но '%s' найден."},
      {103, "Keyword 'end' expected, but '%s' found.", "'end' ожидается, но '%s' найден."},
      {104, "Keyword 'then' expected, but '%s' found.", "'then' ожидается, но '%s' найден."},
      {105, "Variable name expected, but '%s' found.", "Имя переменной ожидается, но '%s' найден."},
      {106, "Variable name or string constant expected, but '%s' found.",
       "Имя переменной или строковая константа ожидается, но '%s' найден."},
      {107, "Statement expected, but '%s' found.", "Выражение ожидается, но '%s' найден."},
      {26, "Type mismatch.", "Несоответствие типов."},
      {108, "'procedure' or 'program' expected, but '%s' found.", "'procedure' или 'program' ожидается, но '%s' найден."},
      {8, "String constant exceeds line.", "Строковая константа слишком длинная."},
      {201, "Can't create exe file (%s).", "Невозможно создать exe файл (%s)."},
      {22, "Integer constant expected, but '%s' found.", "Целая константа ожидается, но '%s' найден."},
      {23, "Error in type ('integer', 'float', 'string' or user type expected).",
       "Неверно указан тип ('integer', 'float' , 'string' или тип пользователя ожидается)."},
      {109, "Error in type (index expression mast be integer type).",
       "Ошибка типа (индексное выражение должно быть целого типа)."},
      {110, "Integer variable expected, but '%s' found.", "Целая переменная ожидается, но '%s' найден."},
      {111, "Too many actual parameters.", "Много фактических параметров."},
      {112, "Not enough actual parameters.", "Недостаточно фактических параметров."},
      {113, "Incompatible types (actual and formal parameters).", "Несоответствие типов фактических и формальных параметров."},
      {114, "Function need result type.", "Не указан тип результата функции."},
      {115, "Integer conctant expected.", "Целая константа ожидается."},
      {116, "String lenght out of range.", "Строка слишком длинная."},
      {117, "Incompatible types in string type expression.", "Несовместимые типы в строковом выражении."},
      {118, "Bad function name.", "Недопустимое имя функции."},
      {119, "Bad operation over string operand.", "Недопустимая операция над строковым операндом."},
      {120, "Operands must be string expression.", "Operands must be string expression."},
      {121, "Identifier expected, but '%s' found.", "Идентификатор ожидается, но '%s' найден."},
      {122, "Bad identifier name: '%s' ", "Недопустимое имя идентификатора: '%s' "},
      {123, "The number of variables in the list should not be more than 10",
       "Количество имен в списке не может быть больше 10"},
      {124, "Integer, float or string constant expected.", "Целая, вещественная или строковая константа ожидается."},
      {125, "You can't change constant value.", "Значение константы изменить нельзя."},
      {126, "Array size must not exceed 255.", "Размер массива не должен превышать 255."},
      {127, "Not valid integer constant value", "Значение целой константы за пределами допустимых значений"},
      {202, "The sum of the data size and the program code size is above 64K.",
       "Суммарный размер даннх и кода больше 64K."},
      {128, "Integer constant expected.", "Целая константа ожидается."},
      {129, "Float or integer constant expected.", "Вещественная или целая константа ожидается."},
      {130, "String constant expected.", "Строковая константа ожидается."},
      {131, "List length does not match the number of array elements.",
       "Длина списка не соответствует количеству элементов массива."},
      {132, "Label expected.", "Ожидается метка."},
      {133, "Duplicate label '%s'.", "Дубдирование метки '%s'."},
      {134, "Colon expected but '%s' found.", "Должно быть двоеточие, но '%s' обнаружен."},
      {135, "Duplicate declaration a record field", "Повторное объявление поля записи."},
      {136, "'%s' - bad record field name.", "'%s' - неверное имя поля записи."},
      {137, "Keyword 'of' expected, but '%s' found.", "'of' ожидается, но '%s' найден."},
      {138, "The selector must be an integer variable or expression.",
       "Селектор должен быть целочисленной переменной или выражением."},
      {139, "Error in type ('integer', 'float', 'string'  or pointer to an record type expected).",
       "Неверно указан тип (ожидается 'integer', 'float', 'string',  или указатель на тип-запись)."},
      {140, "Error in type (pointer to an record type expected).",
       "Неверно указан тип (ожидается указатель на тип-запись)."},
      {141, "Error in type (field must be pointer to record).",
       "Неверно указан тип (поле должно быть указателем на запись)."},
      {142, "Invalid comparison operator. Expected '=' or '!='.",
       "Неверный оператор сравнения (ожидается '=' или '!=')."},
      {143, "Record type expected.", "Тип-запись ожидается."},
      {144, "Bad float constant.", "Ошибка записи вещественной константы."},
      {0, "", ""},
  };
  return table;
}

void set_language(Diagnostics& d, int language) { d.language = language; }

std::string file_failure_message(const Diagnostics& d, const FileError& e) {
  struct Texts {
    FileFailure kind;
    const char* en;
    const char* ru;
  };
  static const Texts texts[] = {
      {FileFailure::kWorkFolder, "Cannot create the work folder %s.", "Невозможно создать рабочую папку %s."},
      {FileFailure::kWorkFolderBusy, "The work folder %s is busy: another compile holds it.",
       "Рабочая папка %s занята другой компиляцией."},
      {FileFailure::kWorkFile, "Cannot write the work file %s.", "Невозможно записать рабочий файл %s."},
      {FileFailure::kSourceRead, "Cannot read the source file %s.", "Невозможно прочитать исходный файл %s."},
      {FileFailure::kSourceTooLarge, "The source file %s is too large.", "Исходный файл %s слишком большой."},
      {FileFailure::kVersionRead, "Cannot read the version file %s.", "Невозможно прочитать файл версии %s."},
      {FileFailure::kVersionTooLarge, "Bad version file %s: it is larger than 64 KiB.",
       "Неверный файл версии %s: он больше 64 КБ."},
      {FileFailure::kVersionCreate, "Cannot create the version file %s.", "Невозможно создать файл версии %s."},
  };
  std::string text;
  for (const Texts& t : texts)
    if (t.kind == e.kind) text = utf8_to_cp1251(d.language == kRussian ? t.ru : t.en);
  text.replace(text.find("%s"), 2, utf8_to_cp1251(e.what()));
  return "Error 0: " + text;
}

std::string same_file_message(const Diagnostics& d, FileRole a, FileRole b, const std::string& path) {
  static const char* const en[] = {"source file", "output file", "executable file", "version file"};
  static const char* const ru_first[] = {"Исходный файл", "Файл вывода", "Исполняемый файл", "Файл версии"};
  static const char* const ru[] = {"исходный файл", "файл вывода", "исполняемый файл", "файл версии"};
  const int i = static_cast<int>(a), j = static_cast<int>(b);
  std::string text = d.language == kRussian
                         ? std::string(ru_first[i]) + " и " + ru[j] + " - один и тот же файл (" + path + "); ничего не изменено."
                         : std::string("The ") + en[i] + " and the " + en[j] + " are one file (" + path +
                               "); nothing was changed.";
  return "Error 0: " + utf8_to_cp1251(text);
}

std::string format_message(const Diagnostics& d, int code, std::string_view arg) {
  const auto& table = message_table();
  const termsg* entry = &table[0];
  for (const termsg& m : table)
    if (m.code == code) {
      entry = &m;
      break;
    }
  std::string text = utf8_to_cp1251(d.language == kRussian ? entry->tmplmsg2 : entry->tmplmsg);
  size_t p = text.find("%s");
  if (p != std::string::npos) text.replace(p, 2, arg);
  return "Error " + std::to_string(code) + ": " + text;
}

int caret_column(std::string_view line, std::string_view token) {
  if (token.empty()) return 0;
  std::string hay = to_lower_ascii(line), needle = to_lower_ascii(token);
  size_t p = hay.rfind(needle);
  return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}


}  // namespace tarn
