#include "render/ledgerrender.h"
#include "render/renderlimits.h"
#include "render/xsltenvironment.h"

#include <QThread>

namespace render {

QThread* createRenderThread(std::function<void()> work, QObject* parent)
{
    detail::shareMainHeap();
    QThread* thread = QThread::create([work = std::move(work)] {
        detail::markRenderThread();
        work();
    });
    thread->setStackSize(uint(detail::kRenderThreadStackSize));
    thread->setParent(parent);
    return thread;
}

} // namespace render
