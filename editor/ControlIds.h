#pragma once
// The ids of the templates' controls and commands that the window logic acts on.

namespace zrb::ids {

// The editor window, template 102.
inline constexpr int kModelList = 1000;
inline constexpr int kDescription = 1001;
inline constexpr int kMass = 1002;
inline constexpr int kHorsePower = 1003;
inline constexpr int kGasScaleFactor = 1004;
inline constexpr int kMaxAccel = 1005;
inline constexpr int kMaxTurnRate = 1006;
inline constexpr int kTurnTightness = 1007;
inline constexpr int kMomentOfInertia = 1008;
inline constexpr int kBumpyFactor = 1009;
inline constexpr int kStaticFriction = 1010;
inline constexpr int kKineticFriction = 1011;
inline constexpr int kRestitution = 1012;
inline constexpr int kSaveChanges = 1013;
inline constexpr int kSaveAsNew = 1014;
inline constexpr int kSpeed = 1015;
inline constexpr int kCalculateInertia = 1016;
// What loading found in the file, above the boxes; hidden when there is nothing.
inline constexpr int kFileWarning = 1017;

// Menu 129, and the About entry of the system menu.
inline constexpr int kOpenMotionModel = 32771;
inline constexpr int kHelp = 32772;
inline constexpr int kPackSelected = 32773;
inline constexpr int kPackAll = 32774;
inline constexpr int kDefineArchiveLocation = 32775;
inline constexpr int kExit = 32776;
inline constexpr int kFleetOverview = 32777;
inline constexpr int kReload = 32778;
inline constexpr int kAbout = 16;

// The calculator, template 130 (its result box is 1008 too).
inline constexpr int kInertiaResult = 1008;
inline constexpr int kWidth = 1018;
inline constexpr int kInertiaOk = 1020;

// The fleet overview, template 131, and its comparison, template 132.
inline constexpr int kFleetFilter = 1030;
inline constexpr int kFleetStatus = 1031;
inline constexpr int kFleetTable = 1032;
inline constexpr int kFleetOpen = 1033;
inline constexpr int kFleetCompare = 1034;
inline constexpr int kFleetExport = 1035;
inline constexpr int kFleetSortBy = 1036;
inline constexpr int kFleetDescending = 1037;
inline constexpr int kCompareTable = 1040;
// The overview's undo history, and its menu 133: Edit, Undo and Redo.
inline constexpr int kFleetHistory = 1045;
inline constexpr int kFleetUndo = 32790;
inline constexpr int kFleetRedo = 32791;

// The overview's changes of many models and its reference folder, template 131.
inline constexpr int kFleetChange = 1060;
inline constexpr int kFleetCompareFolder = 1061;
inline constexpr int kFleetOnlyChanged = 1062;
inline constexpr int kFleetReferenceStatus = 1063;

// The change of many models, template 140 (OK is Apply).
inline constexpr int kChangeOperation = 1070;
inline constexpr int kChangeFields = 1071;
inline constexpr int kChangeValue = 1072;
inline constexpr int kChangeSource = 1073;
inline constexpr int kChangeHint = 1074;
inline constexpr int kChangePreview = 1075;
inline constexpr int kChangeSummary = 1076;

}  // namespace zrb::ids
