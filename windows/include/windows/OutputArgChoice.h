// How the format panel corrects a settings record to what the chosen format
// supports: the sample rate moves up to the next rate its encoder takes (or
// down to the highest), the quality falls back to the format's first
// option, and a format missing from the list falls back to the first one.
#pragma once

#include <vector>

#include "logic/ArgOutput.h"

// The rate a record keeps with this ascending list; the rate itself for an
// empty list.
int CorrectSampleRate(const std::vector<int>& rates, int rate);
// The index of the option whose value equals `quality` exactly; -1 when
// none does.
int FindQualityIndex(const std::vector<double>& options, double quality);
// The index in `formatIds` of `formatId`; -1 when it is not listed.
int FindFormatIndex(const std::vector<int>& formatIds, int formatId);

// The record made consistent with the lists of its format (the format
// list, that format's quality options and its encoder's rates): the
// indexes to select come back, the record is corrected in place. A format
// not listed selects item 0 and takes its id; an empty option or rate list
// leaves that field alone (index -1).
struct OutputArgSelection {
  int format = -1;
  int quality = -1;
  int rate = -1;
};
OutputArgSelection CorrectOutputArg(CArgOutput& arg, const std::vector<int>& formatIds,
                                    const std::vector<double>& options, const std::vector<int>& rates);

// The record moved to the sample rate and bit rate its recording really
// gets (the writer's fitting to the encoder), so that the panel shows what
// the file will hold; a bit rate missing from `options` is not taken.
void FitToRecordedChoice(CArgOutput& arg, const std::vector<double>& options);

// The rates of a format's encoder (ascending; empty without an encoder) and
// its option values, as the format table and FFmpeg give them.
std::vector<int> SampleRatesOfFormat(int formatId);
std::vector<double> QualityValuesOfFormat(int formatId);
