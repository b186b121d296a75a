#include "valdrex/io/number_formats.h"

namespace valdrex::io {

std::string builtinFormatCode(int id) {
  switch (id) {
    case 1:
      return "0";
    case 2:
      return "0.00";
    case 3:
      return "#,##0";
    case 4:
      return "#,##0.00";
    case 9:
      return "0%";
    case 10:
      return "0.00%";
    case 11:
      return "0.00E+00";
    case 12:
      return "# ?/?";
    case 13:
      return "# ?\?/??";
    case 14:
      return "yyyy/m/d";
    case 15:
      return "d-mmm-yy";
    case 16:
      return "d-mmm";
    case 17:
      return "mmm-yy";
    case 18:
      return "h:mm AM/PM";
    case 19:
      return "h:mm:ss AM/PM";
    case 20:
      return "h:mm";
    case 21:
      return "h:mm:ss";
    case 22:
      return "yyyy/m/d h:mm";
    case 27:
    case 36:
    case 50:
    case 52:
    case 53:
      return "yyyy\"年\"m\"月\"";
    case 28:
    case 29:
    case 54:
      return "m\"月\"d\"日\"";
    case 30:
    case 57:
      return "m-d-yy";
    case 31:
    case 58:
      return "yyyy\"年\"m\"月\"d\"日\"";
    case 32:
    case 55:
      return "h\"时\"mm\"分\"";
    case 33:
    case 56:
      return "h\"时\"mm\"分\"ss\"秒\"";
    case 34:
      return "上午/下午h\"时\"mm\"分\"";
    case 35:
    case 51:
      return "上午/下午h\"时\"mm\"分\"ss\"秒\"";
    case 37:
      return "#,##0 ;(#,##0)";
    case 38:
      return "#,##0 ;[Red](#,##0)";
    case 39:
      return "#,##0.00;(#,##0.00)";
    case 40:
      return "#,##0.00;[Red](#,##0.00)";
    case 45:
      return "mm:ss";
    case 46:
      return "[h]:mm:ss";
    case 47:
      return "mmss.0";
    case 48:
      return "##0.0E+0";
    case 49:
      return "@";
    default:
      return "";
  }
}

bool isBuiltinDateFormat(int id) {
  return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
         (id >= 50 && id <= 58);
}

bool isDateFormatCode(std::string_view code) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    switch (c) {
      case '"': {
        std::size_t close = code.find('"', i + 1);
        if (close == std::string_view::npos) return false;
        i = close;
        break;
      }
      case '\\':
      case '_':
      case '*':
        ++i;  // the next character is shown (or padded with) literally
        break;
      case '[': {
        std::size_t close = code.find(']', i + 1);
        if (close == std::string_view::npos) return false;
        std::string_view inside = code.substr(i + 1, close - i - 1);
        if (!inside.empty() && inside.find_first_not_of("hHmMsS") == std::string_view::npos)
          return true;
        i = close;
        break;
      }
      case 'y':
      case 'Y':
      case 'm':
      case 'M':
      case 'd':
      case 'D':
      case 'h':
      case 'H':
      case 's':
      case 'S':
        return true;
      default:
        break;
    }
  }
  return false;
}

}  // namespace valdrex::io
