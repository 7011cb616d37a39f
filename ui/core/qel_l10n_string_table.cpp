#include "ui/core/qel_l10n_string_table.h"

#include <algorithm>
#include <iterator>

#include "res/resource.h"

namespace {

// Sorted by id: the index lookup is a binary search.
constexpr qel_l10n_string_entry kEntries[] = {
    {IDS_ACTIVE_STREAMS, u"Active Streams in MSN"},
    {IDS_AUDIO_STREAMS_FMT, u"%d audio streams"},
    {IDS_LOCAL_WEBCAM_FMT, u"%d local webcam"},
    {IDS_REMOTE_WEBCAM_FMT, u"%d remote webcam"},
    {IDS_TODAY, u"Today"},
    {IDS_YESTERDAY, u"Yesterday"},
    {IDS_HERE, u"Here"},
    {IDS_CHANGE, u"change..."},
    {IDS_FILES, u"files"},
    {IDS_VERSION_FMT, u"Version %s"},
    {IDS_OWNER_NOTICE, u"Copyright \u00a9 2026 Corvelle Software"},
    {IDS_HOME_PAGE, u"Home Page:"},
    {IDS_EXIT_MSN_FIRST, u"Please exit MSN firstly before installation."},
    {IDS_WINDOW_TITLE, u"Quorvantine Video Recorder for MSN"},
    {IDS_TRAY_TIP, u"Quorvantine Video Recorder for MSN"},
    {IDS_VIDEO_LABEL, u"Video:"},
    {IDS_MINUTES_RECORDED, u"minutes recorded"},
    {IDS_AUDIO_LABEL, u"Audio:"},
    {IDS_NO_STREAM, u"No stream to record"},
    {IDS_RECORDING, u"Recording..."},
    {IDS_DELETE_ONE_FMT, u"Are you sure you want to delete the file %s?"},
    {IDS_DELETE_MANY_FMT, u"Are you sure you want to delete the %d files?"},
    {IDS_CONFIRM_DELETE, u"Confirm File Delete?"},
    {IDS_CHANGE_NEXT_RECORDING, u"Your change will take effect on the next recording."},
    {IDS_INFORMATION, u"Information:"},
    {IDS_SELECT_FOLDER, u"Select a folder to save your recordings:"},
    {IDS_RECORD, u"Record"},
    {IDS_STOP_RECORDING, u"Stop Recording"},
    {IDS_OPEN_RECORDING_FOLDER, u"Open Recording Folder..."},
    {IDS_ABOUT, u"About"},
    {IDS_RECORD_FAILED, u"Failed to start recording."},
    {IDS_RECORD_FAILED_DETAIL,
     u"The recording file cannot be created. Please make sure the recording folder exists "
     u"and is accessible."},
    {IDS_DIR_FAILED_FMT, u"Failed to use the directory \"%s\":"},
    {IDS_DIR_CANNOT_CREATE, u"Can not create new file in this directory."},
    {IDS_DIR_CANNOT_LOAD, u"Can not load the directory."},
    {IDS_DIR_NOT_ACCESSIBLE, u"This directory is not accessible"},
    {IDS_BLANK_LINE, u"   "},
    {IDS_RECORDINGS_SAVED, u"Your recordings are saved"},
    {IDS_PLEASE_NOTE, u"Please note:"},
    {IDS_LEGAL_NOTICE,
     u"Many countries have laws that require you to notify people when you record their "
     u"telephone conversations."},
    {IDS_SET_RECORDING_FOLDER, u"Set Recording Folder..."},
    {IDS_TOTALS_FMT, u"%d files, %d minutes recorded in total"},
    {IDS_RECORD_ENDED, u"The recording ended unexpectedly."},
    {IDS_RECORD_PART_SAVED, u"The part recorded until then is saved in your library."},
    {IDS_REPAIR, u"Repair (&R)"},
    {IDS_REPAIR_FAILED, u"Failed to repair the recording."},
    {IDS_REPAIR_FAILED_DETAIL,
     u"The file was left as it was. It may be open in another program, or the recording "
     u"folder may not be writable."},
    {IDS_DISK_FREE_HOURS_FMT, u"%s free, about %d hours of calls"},
    {IDS_DISK_FREE_MINUTES_FMT, u"%s free, about %d minutes of calls"},
    {IDS_DISK_FREE_TOO_LITTLE_FMT, u"%s free, too little to record"},
    {IDS_DISK_FREE_UNKNOWN, u"Free space unknown"},
    {IDS_SIZE_GB_FMT, u"%d.%d GB"},
    {IDS_SIZE_MB_FMT, u"%d MB"},
    {IDS_DISK_LOW, u"Not enough disk space"},
    {IDS_DISK_LOW_NOT_STARTED_FMT, u"Recording did not start: only %s is free."},
    {IDS_DISK_LOW_WHAT_TO_DO,
     u"The drive of the recording folder is almost full. Free some space on it, or choose "
     u"another recording folder, then record again."},
    {IDS_DISK_FULL_STOPPED, u"Recording stopped"},
    {IDS_DISK_FULL_STOPPED_WHY, u"The recording was stopped: the disk is almost full."},
    {IDS_DISK_FULL_SAVED_FMT,
     u"Only %s is free. What was recorded until then is saved in your library."},
    {IDS_SAVING_RECORDING, u"Saving your call recording\u2026"},
    {IDS_MONTH_JAN, u"Jan"},
    {IDS_MONTH_FEB, u"Feb"},
    {IDS_MONTH_MAR, u"Mar"},
    {IDS_MONTH_APR, u"Apr"},
    {IDS_MONTH_MAY, u"May"},
    {IDS_MONTH_JUN, u"Jun"},
    {IDS_MONTH_JUL, u"Jul"},
    {IDS_MONTH_AUG, u"Aug"},
    {IDS_MONTH_SEP, u"Sep"},
    {IDS_MONTH_OCT, u"Oct"},
    {IDS_MONTH_NOV, u"Nov"},
    {IDS_MONTH_DEC, u"Dec"},
    {IDS_WEEKDAY_SUN, u"Sun"},
    {IDS_WEEKDAY_MON, u"Mon"},
    {IDS_WEEKDAY_TUE, u"Tue"},
    {IDS_WEEKDAY_WED, u"Wed"},
    {IDS_WEEKDAY_THU, u"Thu"},
    {IDS_WEEKDAY_FRI, u"Fri"},
    {IDS_WEEKDAY_SAT, u"Sat"},
};

}  // namespace

std::span<const qel_l10n_string_entry> qel_l10n_string_entries() {
  return kEntries;
}

int qel_l10n_string_index(unsigned int id) {
  const auto* it =
      std::lower_bound(std::begin(kEntries), std::end(kEntries), id,
                       [](const qel_l10n_string_entry& e, unsigned int key) { return e.id < key; });
  if (it == std::end(kEntries) || it->id != id)
    return -1;
  return static_cast<int>(it - std::begin(kEntries));
}

const char16_t* qel_l10n_default_text(unsigned int id) {
  int index = qel_l10n_string_index(id);
  return index < 0 ? nullptr : kEntries[index].text;
}
