// A clip's matrix as MovieClip.transform shows and sets it.
#include "player/display/DisplayObject.h"
#include "player/script/ScriptEngine.h"

namespace kelmora::player::script {

Matrix ScriptEngine::clipMatrix(ClipId clip) {
    DisplayObject* o = object(clip);
    return o ? o->matrix : Matrix{};
}

void ScriptEngine::setClipMatrix(ClipId clip, const Matrix& m) {
    if (DisplayObject* o = object(clip)) {
        o->matrix = m;
        o->transformedByScript = true;
    }
}

}  // namespace kelmora::player::script
