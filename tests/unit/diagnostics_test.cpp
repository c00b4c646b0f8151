// The message table, message formatting and the three-line error report,
// each checked through the real routines writing a real output file.
#include <gtest/gtest.h>

#include "common/codepage.h"
#include "compilation/compilation.h"
#include "base/diagnostics.h"
#include "support/test_support.h"

namespace tarn {
namespace {

struct Expected {
  int code;
  const char* en;
  const char* ru;
};

// The messages as learners read them, transcribed independently of the code.
const Expected kMessages[] = {
    {2, "Identifier expected.", "Ожидается идентификатор"},
    {3, "Unknown identifier: 'x'.", "Неизвестный идентификатор: 'x'."},
    {4, "Duplicate identifier: 'x'.", "Повторное объявление идентификатора: 'x'."},
    {21, "Error in type ('integer', 'float', 'string' , 'array' or usert type expected).",
     "Неверно указан тип (ожидается 'integer', 'float', 'string', 'array' или тип, объявленный программистом)."},
    {85, "';' expected.", " Ожидается ';'"},
    {86, "':' expected.", "':' ожидается."},
    {99, "'x' expected.", "'x' ожидается."},
    {100, "Variable or constant expected, but 'x' found.", "Переменная или константа ожидается, но 'x' найден."},
    {101, "Compare operator expected, but 'x' found.", "Ожидается оператор сравнения, но 'x' найде."},
    {102, "Variable, constant or '(' expected, but 'x' found.", "Переменная, константа или '(' ожидается, но 'x' найден."},
    {103, "Keyword 'end' expected, but 'x' found.", "'end' ожидается, но 'x' найден."},
    {104, "Keyword 'then' expected, but 'x' found.", "'then' ожидается, но 'x' найден."},
    {105, "Variable name expected, but 'x' found.", "Имя переменной ожидается, но 'x' найден."},
    {106, "Variable name or string constant expected, but 'x' found.",
     "Имя переменной или строковая константа ожидается, но 'x' найден."},
    {107, "Statement expected, but 'x' found.", "Выражение ожидается, но 'x' найден."},
    {26, "Type mismatch.", "Несоответствие типов."},
    {108, "'procedure' or 'program' expected, but 'x' found.", "'procedure' или 'program' ожидается, но 'x' найден."},
    {8, "String constant exceeds line.", "Строковая константа слишком длинная."},
    {201, "Can't create exe file (x).", "Невозможно создать exe файл (x)."},
    {22, "Integer constant expected, but 'x' found.", "Целая константа ожидается, но 'x' найден."},
    {23, "Error in type ('integer', 'float', 'string' or user type expected).",
     "Неверно указан тип ('integer', 'float' , 'string' или тип пользователя ожидается)."},
    {109, "Error in type (index expression mast be integer type).", "Ошибка типа (индексное выражение должно быть целого типа)."},
    {110, "Integer variable expected, but 'x' found.", "Целая переменная ожидается, но 'x' найден."},
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
    {121, "Identifier expected, but 'x' found.", "Идентификатор ожидается, но 'x' найден."},
    {122, "Bad identifier name: 'x' ", "Недопустимое имя идентификатора: 'x' "},
    {123, "The number of variables in the list should not be more than 10", "Количество имен в списке не может быть больше 10"},
    {124, "Integer, float or string constant expected.", "Целая, вещественная или строковая константа ожидается."},
    {125, "You can't change constant value.", "Значение константы изменить нельзя."},
    {126, "Array size must not exceed 255.", "Размер массива не должен превышать 255."},
    {127, "Not valid integer constant value", "Значение целой константы за пределами допустимых значений"},
    {202, "The sum of the data size and the program code size is above 64K.", "Суммарный размер даннх и кода больше 64K."},
    {128, "Integer constant expected.", "Целая константа ожидается."},
    {129, "Float or integer constant expected.", "Вещественная или целая константа ожидается."},
    {130, "String constant expected.", "Строковая константа ожидается."},
    {131, "List length does not match the number of array elements.", "Длина списка не соответствует количеству элементов массива."},
    {132, "Label expected.", "Ожидается метка."},
    {133, "Duplicate label 'x'.", "Дубдирование метки 'x'."},
    {134, "Colon expected but 'x' found.", "Должно быть двоеточие, но 'x' обнаружен."},
    {135, "Duplicate declaration a record field", "Повторное объявление поля записи."},
    {136, "'x' - bad record field name.", "'x' - неверное имя поля записи."},
    {137, "Keyword 'of' expected, but 'x' found.", "'of' ожидается, но 'x' найден."},
    {138, "The selector must be an integer variable or expression.", "Селектор должен быть целочисленной переменной или выражением."},
    {139, "Error in type ('integer', 'float', 'string'  or pointer to an record type expected).",
     "Неверно указан тип (ожидается 'integer', 'float', 'string',  или указатель на тип-запись)."},
    {140, "Error in type (pointer to an record type expected).", "Неверно указан тип (ожидается указатель на тип-запись)."},
    {141, "Error in type (field must be pointer to record).", "Неверно указан тип (поле должно быть указателем на запись)."},
    {142, "Invalid comparison operator. Expected '=' or '!='.", "Неверный оператор сравнения (ожидается '=' или '!=')."},
    {143, "Record type expected.", "Тип-запись ожидается."},
    {144, "Bad float constant.", "Ошибка записи вещественной константы."},
};

TEST(MessageTable, HoldsSixtyEntriesWithCodeZeroFirstAndEmptyLast) {
  const auto& t = message_table();
  ASSERT_EQ(t.size(), 60u);
  EXPECT_EQ(t[0].code, 0);
  EXPECT_EQ(t[0].tmplmsg, "'%s'");
  EXPECT_EQ(t[0].tmplmsg2, "");
  EXPECT_EQ(t[59].code, 0);
  EXPECT_EQ(t[59].tmplmsg, "");
  for (size_t i = 1; i < 59; ++i) EXPECT_EQ(t[i].code, kMessages[i - 1].code) << "entry " << i;
}

TEST(MessageTable, EveryCodeFormatsInBothLanguages) {
  Diagnostics en, ru;
  set_language(ru, kRussian);
  for (const Expected& m : kMessages) {
    std::string prefix = "Error " + std::to_string(m.code) + ": ";
    EXPECT_EQ(format_message(en, m.code, "x"), prefix + m.en) << m.code;
    EXPECT_EQ(format_message(ru, m.code, "x"), prefix + utf8_to_cp1251(m.ru)) << m.code;
  }
}

TEST(MessageTable, CodesWithoutEntryFallBackToEntryZero) {
  Diagnostics en, ru;
  set_language(ru, kRussian);
  EXPECT_EQ(format_message(en, 5, "y"), "Error 5: 'y'");
  EXPECT_EQ(format_message(ru, 5, "y"), "Error 5: ");
  EXPECT_EQ(format_message(en, 90, "."), "Error 90: '.'");
  EXPECT_EQ(format_message(en, 0, "Syntax error."), "Error 0: 'Syntax error.'");
  EXPECT_EQ(format_message(en, 3, ""), "Error 3: Unknown identifier: ''.");
}

// A compilation whose output goes to a real file, stopped in the middle of a
// source line as the lexer would leave it.
class Report : public ::testing::Test {
 protected:
  std::string run(int code, const std::string& arg, const std::string& line_so_far, const std::string& token,
                  const std::string& rest_of_source, bool source_open = true) {
    Compilation c;
    set_language(c.diag, language);
    EXPECT_TRUE(c.drv.out.open(dir.file("out.txt")));
    c.drv.out.write_line("banner");
    c.drv.out.write("src.pas");
    c.lex.line_number = 7;
    c.lex.line_text = line_so_far;
    c.lex.last_token_text = token;
    c.lex.source.bytes = rest_of_source;
    c.lex.source.open = source_open;
    try {
      report_error(c, static_cast<ErrorCode>(code), arg);
      ADD_FAILURE() << "report_error returned";
    } catch (const CompileError& e) {
      EXPECT_EQ(e.code, code);
      EXPECT_EQ(std::string(e.what()), "Error: " + std::to_string(code));
    }
    c.drv.out.close();
    return test::read_file(dir.file("out.txt"));
  }
  test::TempDir dir;
  int language = kEnglish;
};

TEST_F(Report, ThreeLinesWithCaretUnderTheToken) {
  EXPECT_EQ(run(3, "zz", "  x := zz", "zz", " + 1;\r\nnext line\r\n"),
            "banner\r\nsrc.pas(7): Error 3: Unknown identifier: 'zz'.\r\n"
            "  x := zz + 1;\r\n"
            "       ^\r\n");
}

TEST_F(Report, CaretGoesUnderTheLastOccurrence) {
  EXPECT_EQ(run(26, "", "a := a + a", "a", ";\r\n"), "banner\r\nsrc.pas(7): Error 26: Type mismatch.\r\na := a + a;\r\n         ^\r\n");
}

TEST_F(Report, CaretAtColumnOneForTheFirstTokenOrNoOccurrence) {
  EXPECT_EQ(run(99, "x", "begin", "begin", "\r\n"), "banner\r\nsrc.pas(7): Error 99: 'x' expected.\r\nbegin\r\n^\r\n");
  EXPECT_EQ(run(99, "x", "abc", "zzz", ""), "banner\r\nsrc.pas(7): Error 99: 'x' expected.\r\nabc\r\n^\r\n");
}

TEST_F(Report, CaretFindsIdentifiersWrittenWithCapitals) {
  EXPECT_EQ(run(3, "counter", "  Counter", "counter", " := 1;\r\n"),
            "banner\r\nsrc.pas(7): Error 3: Unknown identifier: 'counter'.\r\n  Counter := 1;\r\n  ^\r\n");
}

TEST_F(Report, ClosedSourceGivesTheMessageLineOnly) {
  EXPECT_EQ(run(202, "", "", "", "", false),
            "banner\r\nsrc.pas(7): Error 202: The sum of the data size and the program code size is above 64K.\r\n");
}

TEST_F(Report, RussianMessageKeepsTheEnglishPrefix) {
  language = kRussian;
  EXPECT_EQ(run(3, "x", "y := x", "x", ";\r\n"),
            "banner\r\nsrc.pas(7): Error 3: " + utf8_to_cp1251("Неизвестный идентификатор: 'x'.") +
                "\r\ny := x;\r\n     ^\r\n");
  EXPECT_EQ(run(5, "y", "y", "y", ""), "banner\r\nsrc.pas(7): Error 5: \r\ny\r\n^\r\n");
}

}  // namespace
}  // namespace tarn
