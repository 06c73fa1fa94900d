#include "shell/login_item.h"

#include "platform/platform.h"

LoginItem systemLoginItem() {
    return {platform::login::enabled, platform::login::enable, platform::login::disable};
}
