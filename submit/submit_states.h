#pragma once
// The vocabulary of submission outcomes: the submit-state strings written into
// an Engine record and the messages submissions leave in its message field.

namespace larkspur::submit {

// Submit states.
inline constexpr const char kStateOk[] = "Submit-OK";
inline constexpr const char kStateError[] = "Submit-Error";
inline constexpr const char kStateUnsubmitted[] = "Un-Submit";

// Messages.
inline constexpr const char kMessagePostData[] = "Post data.";
inline constexpr const char kMessageSubmitRequest[] = "Submit request.";
inline constexpr const char kMessageSendSubmitRequest[] = "Send submit request.";
inline constexpr const char kMessageSubmitOk[] = "Submit-OK";
inline constexpr const char kMessageAlreadySubmitted[] = "Already Submited!";
inline constexpr const char kMessageNotFound[] = "Error 404:Object not found!";
inline constexpr const char kMessageTimeOut[] = "Time out!";
// A page larger than a page may be, of which what was kept holds no form to
// send (or, after sending, no answer): waiting for the rest is in vain.
// Forms that need a person: the session ends at once and says so.
inline constexpr const char kMessageCaptcha[] = "The form asks for a CAPTCHA: submit it by hand.";
inline constexpr const char kMessagePayment[] = "The directory asks for a payment.";
inline constexpr const char kMessageAcceptTerms[] = "The form asks you to accept its terms: submit it by hand.";
inline constexpr const char kMessagePageTooLarge[] = "The page is too large: only its beginning was read.";

}  // namespace larkspur::submit
