#include "host/phonebook/host_phonebook_errors.h"

namespace verolink::host {

Text PhonebookErrorText(std::uint32_t code) {
  switch (static_cast<RasError>(code)) {
    case kErrorBufferTooSmall:
      return u"Размер буфера недостаточен.";
    case kErrorWrongInfoSpecified:
      return u"Недопустимое имя записи телефонной книги.";
    case kErrorBufferInvalid:
      return u"Указан неверный буфер записи телефонной книги.";
    case kErrorCannotOpenPhonebook:
      return u"Не удаётся открыть файл телефонной книги.";
    case kErrorCannotFindPhonebookEntry:
      return u"Запись телефонной книги не найдена.";
    case kErrorCannotWritePhonebook:
      return u"Не удаётся записать файл телефонной книги.";
    case kErrorCorruptPhonebook:
      return u"Файл телефонной книги повреждён; он не будет изменён, пока его не исправят.";
    case kErrorInvalidSize:
      return u"Указан неверный размер структуры.";
    case kErrorDanglingPhonebookLink:
      return u"Ссылка на файл телефонной книги указывает на несуществующий файл.";
    case kErrorPhonebookLinkLoop:
      return u"Ссылки на файл телефонной книги образуют петлю.";
    case kErrorCancelled:
      return u"Подключение не создано: не указан логин абонента.";
    default:
      break;
  }
  if (static_cast<RasError>(code) <= kRasErrorBase) return Text();
  Text text = u"Ошибка удалённого доступа ";
  text += ToDecimal(code);
  text += u'.';
  return text;
}

}  // namespace verolink::host
