#include "ui/ExtractionProgress.h"

#include <commctrl.h>

#include <utility>

CExtractionProgress::CExtractionProgress(std::function<void()> countKnown)
    : m_countKnown(std::move(countKnown)),
      m_receiver(
          nullptr, [this](WPARAM step, LPARAM value) { Step(step, value); }, {},
          [this] {
              if (m_counter > 0) {
                  ::SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(m_counter), 0);
              }
          })
{
}

void CExtractionProgress::Attach(HWND window, HWND bar)
{
    m_receiver.SetWindow(window);
    m_bar = bar;
    ::SendMessageW(m_bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendMessageW(m_bar, PBM_SETPOS, 1, 0);
}

void CExtractionProgress::Step(WPARAM step, LPARAM value)
{
    switch (step) {
    case 1:
        ++m_counter;  // the bar follows at the end of the batch
        break;
    case 2:
        ::SendMessageW(m_bar, PBM_SETPOS, 2, 0);
        break;
    case 3:
        ::SendMessageW(m_bar, PBM_SETRANGE, 0, MAKELPARAM(0, static_cast<WORD>(m_counter + static_cast<int>(value))));
        ::SendMessageW(m_bar, PBM_SETSTEP, 1, 0);
        if (m_countKnown) {
            m_countKnown();
        }
        break;
    default:
        break;
    }
}
