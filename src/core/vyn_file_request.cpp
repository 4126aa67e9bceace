#include "core/vyn_file_request.h"

#include <cstring>

namespace kelar {

std::int16_t VynLanguageCode(std::u16string_view code) {
  struct Entry {
    std::u16string_view code;
    std::int16_t number;
  };
  static constexpr Entry kCodes[] = {{u"en", 9},  {u"ar", 1},  {u"fa", 41}, {u"ko", 18}, {u"tr", 31},
                                     {u"id", 33}, {u"ps", 99}, {u"tl", 254}, {u"ur", 32}};
  for (const Entry& e : kCodes) {
    if (e.code == code) return e.number;
  }
  return 0;
}

unsigned char TechnicalDictionaryByte(std::u16string_view value) {
  std::size_t i = 0;
  while (i < value.size() && (value[i] == u' ' || (value[i] >= u'\t' && value[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == u'+' || value[i] == u'-')) negative = value[i++] == u'-';
  std::uint32_t number = 0;  // wraps like the low bits of any larger value
  for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
    number = number * 10u + static_cast<std::uint32_t>(value[i] - u'0');
  }
  if (negative) number = 0u - number;
  return static_cast<unsigned char>(number & 0xFFu);
}

VynFileRequest MakeVynFileRequest(std::u16string_view sourceLanguage, std::u16string_view translationLanguage,
                                  const std::vector<std::u16string>& technicalDictionaryValues) {
  VynFileRequest request;
  std::memset(&request, 0, sizeof request);
  request.recordSize = sizeof(VynFileRequest);
  request.targetLanguage = VynLanguageCode(translationLanguage);
  request.sourceLanguage = VynLanguageCode(sourceLanguage);
  std::memcpy(request.firstEncoding, "utf-8", 6);
  std::memcpy(request.secondEncoding, "utf-8", 6);
  request.flags = 0x100 | 0x008 | 0x040;
  std::size_t count = 0;
  for (const std::u16string& value : technicalDictionaryValues) {
    if (count == kMaximumTechnicalDictionaries) break;
    request.technicalDictionaries[count++] = TechnicalDictionaryByte(value);
  }
  request.technicalDictionaries[count] = 255;
  return request;
}

bool SetExchangeFiles(VynFileRequest& request, std::string_view inputFile, std::string_view outputFile) {
  if (inputFile.size() >= sizeof request.inputFile || outputFile.size() >= sizeof request.outputFile) {
    return false;
  }
  std::memcpy(request.inputFile, inputFile.data(), inputFile.size());
  request.inputFile[inputFile.size()] = '\0';
  std::memcpy(request.outputFile, outputFile.data(), outputFile.size());
  request.outputFile[outputFile.size()] = '\0';
  return true;
}

}  // namespace kelar
