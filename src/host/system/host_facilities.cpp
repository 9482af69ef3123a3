#include "host/system/host_facilities.h"

#include <syslog.h>

#include <mutex>
#include <string>
#include <utility>

#include "host/system/zero_ended_copy.h"

namespace verolink::host {

namespace {

constexpr std::pair<std::uint32_t, const char16_t*> kMessages[] = {
    {0, u"Операция успешно завершена.\r\n"},
    {1, u"Неверная функция.\r\n"},
    {2, u"Не удается найти указанный файл.\r\n"},
    {3, u"Системе не удается найти указанный путь.\r\n"},
    {4, u"Системе не удается открыть файл.\r\n"},
    {5, u"Отказано в доступе.\r\n"},
    {6, u"Неверный дескриптор.\r\n"},
    {8, u"Недостаточно памяти для обработки команды.\r\n"},
    {14, u"Недостаточно памяти для завершения операции.\r\n"},
    {32,
     u"Процесс не может получить доступ к файлу, так как этот файл занят другим "
     u"процессом.\r\n"},
    {87, u"Параметр задан неверно.\r\n"},
    {112, u"Недостаточно места на диске.\r\n"},
    {122, u"Область данных, переданная системному вызову, слишком мала.\r\n"},
    {123, u"Синтаксическая ошибка в имени файла, имени папки или метке тома.\r\n"},
    {183, u"Невозможно создать файл, так как он уже существует.\r\n"},
};

}  // namespace

void HostEventLog::ReportError(const Text& text) {
  static std::once_flag opened;
  std::call_once(opened, [] { openlog("Verolink", LOG_PID, LOG_USER); });
  const std::string message = ToUtf8(text);
  syslog(LOG_ERR, "%s", message.c_str());
}

void HostSystemMessages::FormatFromSystem(std::uint32_t code, char* buffer, std::uint32_t size) {
  for (const auto& [number, text] : kMessages) {
    if (number == code) {
      CopyZeroEnded(codePage_.ToAnsi(text), buffer, size);
      return;
    }
  }
}

}  // namespace verolink::host
