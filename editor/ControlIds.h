#pragma once
// The ids of the templates' controls and commands that the window logic acts on, by the
// names the window logic uses. The numbers are res/resource.h's, which the resource
// script includes too.

#include "res/resource.h"

namespace zrb::ids {

// The editor window, template IDD_EDITOR.
inline constexpr int kModelList = IDC_MODEL_LIST;
inline constexpr int kDescription = IDC_DESCRIPTION;
inline constexpr int kMass = IDC_MASS;
inline constexpr int kHorsePower = IDC_HORSEPOWER;
inline constexpr int kGasScaleFactor = IDC_GAS_SCALE_FACTOR;
inline constexpr int kMaxAccel = IDC_MAX_ACCEL;
inline constexpr int kMaxTurnRate = IDC_MAX_TURN_RATE;
inline constexpr int kTurnTightness = IDC_TURN_TIGHTNESS;
inline constexpr int kMomentOfInertia = IDC_MOMENT_OF_INERTIA;
inline constexpr int kBumpyFactor = IDC_BUMPY_FACTOR;
inline constexpr int kStaticFriction = IDC_STATIC_FRICTION;
inline constexpr int kKineticFriction = IDC_KINETIC_FRICTION;
inline constexpr int kRestitution = IDC_RESTITUTION;
inline constexpr int kSaveChanges = IDC_SAVE_CHANGES;
inline constexpr int kSaveAsNew = IDC_SAVE_AS_NEW;
inline constexpr int kSpeed = IDC_SPEED;
inline constexpr int kCalculateInertia = IDC_CALCULATE_INERTIA;
// What loading found in the file, above the boxes; hidden when there is nothing.
inline constexpr int kFileWarning = IDC_FILE_WARNING;

// Menu IDR_MAINMENU, and the About entry of the system menu.
inline constexpr int kOpenMotionModel = IDM_OPEN_MOTION_MODEL;
inline constexpr int kHelp = IDM_HELP;
inline constexpr int kPackSelected = IDM_PACK_SELECTED;
inline constexpr int kPackAll = IDM_PACK_ALL;
inline constexpr int kDefineArchiveLocation = IDM_DEFINE_ARCHIVE_LOCATION;
inline constexpr int kExit = IDM_EXIT;
inline constexpr int kFleetOverview = IDM_FLEET_OVERVIEW;
inline constexpr int kReload = IDM_RELOAD;
inline constexpr int kAbout = IDM_ABOUTBOX;

// The calculator, template IDD_INERTIA (its result box is the editor's moment of inertia
// box's id too).
inline constexpr int kInertiaResult = IDC_MOMENT_OF_INERTIA;
inline constexpr int kWidth = IDC_WIDTH;
inline constexpr int kInertiaOk = IDC_INERTIA_OK;

// The fleet overview, template IDD_FLEET, and its comparison, template IDD_COMPARE.
inline constexpr int kFleetFilter = IDC_FLEET_FILTER;
inline constexpr int kFleetStatus = IDC_FLEET_STATUS;
inline constexpr int kFleetTable = IDC_FLEET_TABLE;
inline constexpr int kFleetOpen = IDC_FLEET_OPEN;
inline constexpr int kFleetCompare = IDC_FLEET_COMPARE;
inline constexpr int kFleetExport = IDC_FLEET_EXPORT;
inline constexpr int kFleetSortBy = IDC_FLEET_SORT_BY;
inline constexpr int kFleetDescending = IDC_FLEET_DESCENDING;
inline constexpr int kCompareTable = IDC_COMPARE_TABLE;
// The overview's undo history, and its menu IDR_FLEETMENU: Edit, Undo and Redo.
inline constexpr int kFleetHistory = IDC_FLEET_HISTORY;
inline constexpr int kFleetUndo = IDM_FLEET_UNDO;
inline constexpr int kFleetRedo = IDM_FLEET_REDO;

// The overview's changes of many models and its reference folder.
inline constexpr int kFleetChange = IDC_FLEET_CHANGE;
inline constexpr int kFleetCompareFolder = IDC_FLEET_COMPARE_FOLDER;
inline constexpr int kFleetOnlyChanged = IDC_FLEET_ONLY_CHANGED;
inline constexpr int kFleetReferenceStatus = IDC_FLEET_REFERENCE_STATUS;

// The change of many models, template IDD_CHANGE (OK is Apply).
inline constexpr int kChangeOperation = IDC_CHANGE_OPERATION;
inline constexpr int kChangeFields = IDC_CHANGE_FIELDS;
inline constexpr int kChangeValue = IDC_CHANGE_VALUE;
inline constexpr int kChangeSource = IDC_CHANGE_SOURCE;
inline constexpr int kChangeHint = IDC_CHANGE_HINT;
inline constexpr int kChangePreview = IDC_CHANGE_PREVIEW;
inline constexpr int kChangeSummary = IDC_CHANGE_SUMMARY;

}  // namespace zrb::ids
