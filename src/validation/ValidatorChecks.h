#pragma once
// The checks the settings object runs during Init, answered by the process's validators
// (Validator() and OsValidator()). Start-up hands them to Settings().SetChecks before Init.
#include "settings/SettingsChecks.h"

ISettingsChecks& ValidatorChecks();
