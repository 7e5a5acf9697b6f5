// The controls of step 4 (dialog 148), the PST target and its backup.
#pragma once

namespace target_step {

constexpr int kNewPst = 1010;
constexpr int kExistingPst = 1011;
constexpr int kExistingPath = 1012;
constexpr int kBackupPath = 1013;
constexpr int kBackupCheck = 1014;
constexpr int kBrowseExisting = 1015;
constexpr int kBrowseBackup = 1016;
constexpr int kNewPath = 1028;
constexpr int kBrowseNew = 1029;

} // namespace target_step
