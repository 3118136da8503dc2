#include "settings/CountedMessage.h"

#include "translation/Translation.h"

namespace hs {

std::string CountedText(std::size_t count, const CountedMessage& message,
                        const MessageLookup& lookup) {
  if (count != 1) return lookup(std::string(message.key), std::string(message.english));
  // Asked with an empty English text, a lookup answers "" for English and
  // for a file without the key, so only the file's own words come back here.
  if (std::string one = lookup(std::string(message.singularKey), ""); !one.empty()) return one;
  return lookup(std::string(message.key), std::string(message.english));
}

std::string CountedText(std::size_t count, const CountedMessage& message,
                        const Translation& texts) {
  return CountedText(count, message, [&texts](const std::string& key, const std::string& english) {
    return texts.GetLanString(key, english);
  });
}

}  // namespace hs
