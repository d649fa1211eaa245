// An error that names the card it happened on.
#pragma once

#include <stdexcept>
#include <string>

#include "engine/visible_text.h"

namespace sormel {

class CardError : public std::runtime_error {
public:
    CardError(const std::string& reason, const std::string& cardNumber)
        : std::runtime_error(reason + "\nカード番号: " + (cardNumber.empty() ? "(空欄)" : visibleText(cardNumber))),
          cardNumber_(cardNumber) {}
    const std::string& cardNumber() const { return cardNumber_; }

private:
    std::string cardNumber_;
};

}  // namespace sormel
