// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace orvalen {

// How the engine talks to the user. The main window answers with modal message
// boxes titled "Orvalen" with the exclamation icon; tests script the answers.
class UserPrompt {
public:
    enum class Answer { Retry, Cancel };

    virtual ~UserPrompt() = default;

    // OK only; returns when the user has closed it.
    virtual void warn(const std::string& text) = 0;
    // Retry and Cancel, Retry the default.
    virtual Answer askRetryCancel(const std::string& text) = 0;
};

}  // namespace orvalen
