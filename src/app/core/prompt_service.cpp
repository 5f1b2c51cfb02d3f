// The prompt service is an interface only; the widget implementation lives in
// widget_prompt_service.cpp and the scripted one with the tests.
#include "app/core/prompt_service.h"
