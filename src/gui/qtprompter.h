#pragma once
#include "platform/prompter.h"

namespace ruvia {

// Message boxes for the Prompter: the icon, buttons and default button the
// logic asked for, over the active window.
class QtPrompter : public Prompter {
public:
    int ask(const Message& message) override;
};

} // namespace ruvia
