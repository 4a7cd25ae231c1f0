// The link between a settings dialog's controls and the fields of a settings record,
// written once as a table that both showing a record and taking it back walk.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/settings/settings_model.h"

namespace vemora {

// Decimal text as the dialogs read it: blanks, an optional sign, then digits; text that is
// not a number counts as 0. The result is clamped to [minimum, maximum].
int32_t ReadClampedNumber(std::u16string_view text, int32_t minimum, int32_t maximum);

// What a dialog's controls offer the table walk; the Win32 side reads real windows, tests
// use a plain record.
class DialogControls {
 public:
  virtual ~DialogControls() = default;
  virtual std::u16string Text(int id) const = 0;
  virtual void SetText(int id, std::u16string_view text) = 0;
  virtual bool Checked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  virtual int32_t Position(int id) const = 0;  // a track bar's
  virtual void SetPosition(int id, int32_t position) = 0;
  // Colour buttons hold the working colour until the record is taken back.
  virtual ColorRef Colour(int id) const = 0;
  virtual void SetColour(int id, ColorRef colour) = 0;
};

enum class FieldKind {
  kNumber,     // edit (with an up-down as secondId), decimal, clamped when taken
  kCheck,      // check box, 0/1
  kRadioPair,  // controlId stands for 0, secondId for 1; neither chosen gives 0
  kText,       // edit of at most `limit` typed characters, `maximum` characters taken
  kPosition,   // track bar, clamped when taken
  kColour,     // colour button
};

template <typename Record>
struct FieldLink {
  FieldKind kind;
  int controlId;
  int secondId = 0;
  int32_t Record::*number = nullptr;
  std::u16string Record::*text = nullptr;
  ColorRef Record::*colour = nullptr;
  int32_t minimum = 0;
  int32_t maximum = 0;
  int32_t limit = 0;  // characters the edit accepts
};

template <typename Record>
constexpr FieldLink<Record> NumberField(int edit, int upDown, int32_t Record::*field,
                                        int32_t digits, int32_t minimum, int32_t maximum) {
  return {FieldKind::kNumber, edit, upDown, field, nullptr, nullptr, minimum, maximum, digits};
}
template <typename Record>
constexpr FieldLink<Record> CheckField(int box, int32_t Record::*field) {
  return {FieldKind::kCheck, box, 0, field};
}
template <typename Record>
constexpr FieldLink<Record> RadioField(int forZero, int forOne, int32_t Record::*field) {
  return {FieldKind::kRadioPair, forZero, forOne, field};
}
template <typename Record>
constexpr FieldLink<Record> TextField(int edit, std::u16string Record::*field, int32_t typed,
                                      int32_t taken) {
  return {FieldKind::kText, edit, 0, nullptr, field, nullptr, 0, taken, typed};
}
template <typename Record>
constexpr FieldLink<Record> PositionField(int trackBar, int32_t Record::*field, int32_t minimum,
                                          int32_t maximum) {
  return {FieldKind::kPosition, trackBar, 0, field, nullptr, nullptr, minimum, maximum};
}
template <typename Record>
constexpr FieldLink<Record> ColourField(int button, ColorRef Record::*field) {
  return {FieldKind::kColour, button, 0, nullptr, nullptr, field};
}

std::u16string DecimalText(int32_t value);

// Shows every linked field of the record in its control.
template <typename Record>
void ShowFields(std::span<const FieldLink<Record>> links, const Record& record,
                DialogControls& controls) {
  for (const FieldLink<Record>& link : links) {
    switch (link.kind) {
      case FieldKind::kNumber:
        controls.SetText(link.controlId, DecimalText(record.*link.number));
        break;
      case FieldKind::kCheck:
        controls.SetChecked(link.controlId, record.*link.number != 0);
        break;
      case FieldKind::kRadioPair:
        controls.SetChecked(link.controlId, record.*link.number != 1);
        controls.SetChecked(link.secondId, record.*link.number == 1);
        break;
      case FieldKind::kText:
        controls.SetText(link.controlId, record.*link.text);
        break;
      case FieldKind::kPosition:
        controls.SetPosition(link.controlId, record.*link.number);
        break;
      case FieldKind::kColour:
        controls.SetColour(link.controlId, record.*link.colour);
        break;
    }
  }
}

// Takes every linked field back from its control, within the field's limits.
template <typename Record>
void TakeFields(std::span<const FieldLink<Record>> links, const DialogControls& controls,
                Record& record) {
  for (const FieldLink<Record>& link : links) {
    switch (link.kind) {
      case FieldKind::kNumber:
        record.*link.number =
            ReadClampedNumber(controls.Text(link.controlId), link.minimum, link.maximum);
        break;
      case FieldKind::kCheck:
        record.*link.number = controls.Checked(link.controlId) ? 1 : 0;
        break;
      case FieldKind::kRadioPair:
        record.*link.number = controls.Checked(link.secondId) ? 1 : 0;
        break;
      case FieldKind::kText:
        record.*link.text = controls.Text(link.controlId).substr(0, link.maximum);
        break;
      case FieldKind::kPosition: {
        const int32_t position = controls.Position(link.controlId);
        record.*link.number = position < link.minimum
                                  ? link.minimum
                                  : (position > link.maximum ? link.maximum : position);
        break;
      }
      case FieldKind::kColour:
        record.*link.colour = controls.Colour(link.controlId);
        break;
    }
  }
}

}  // namespace vemora
