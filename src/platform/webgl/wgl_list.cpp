// wgl_list.cpp -- display lists as recorded commands, and glBegin/glEnd vertices gathered into triangle batches.
#include "wgl_list.h"

#include <cstring>
#include <map>
#include <string>
#include <unordered_map>
#include <GL/gl.h>

// ---- data ------------------------------------------------------------------
static struct {
    std::map<unsigned int, WglList> byName;  // a map keeps a list in place while it is recorded
    unsigned int                    next = 1;
} lists;

// ---- functions -------------------------------------------------------------
unsigned int wglListReserve(int range)
{
    if (range <= 0)
        return 0;
    const unsigned int first = lists.next;
    lists.next += (unsigned int)range;
    return first;
}

WglList& wglListRecord(unsigned int name)
{
    if (name >= lists.next)
        lists.next = name + 1;
    WglList& list = lists.byName[name];
    list          = WglList{};
    return list;
}

WglList* wglListFind(unsigned int name)
{
    auto found = lists.byName.find(name);
    return found == lists.byName.end() ? nullptr : &found->second;
}

void wglGatherBegin(WglGather& gather, unsigned int mode)
{
    gather.mode   = mode;
    gather.open   = true;
    gather.corner = 0;
    gather.batch  = WglBatch{};
}

void wglGatherVertex(WglGather& gather, const WglVertex& vertex)
{
    std::vector<WglVertex>& out = gather.batch.vertices;
    if (gather.mode == GL_TRIANGLES) {
        out.push_back(vertex);
        return;
    }
    gather.quad[gather.corner++] = vertex;
    if (gather.corner < 4)
        return;
    gather.corner = 0;
    for (int corner : {0, 1, 2, 0, 2, 3})
        out.push_back(gather.quad[corner]);
}

// The terrain's corners are mostly shared by six triangles: each distinct
// one is kept once and the triangles index it.
static void gatherShare(WglBatch& batch)
{
    std::unordered_map<std::string, unsigned short> seen;
    std::vector<WglVertex>      distinct;
    std::vector<unsigned short> indices;
    for (const WglVertex& v : batch.vertices) {
        auto [at, added] = seen.try_emplace(std::string((const char*)&v, sizeof v), (unsigned short)distinct.size());
        if (added) {
            if (distinct.size() == 65536)
                return;  // beyond 16-bit indices: the corners stay as they are
            distinct.push_back(v);
        }
        indices.push_back(at->second);
    }
    batch.vertices = std::move(distinct);
    batch.indices  = std::move(indices);
}

void wglGatherEnd(WglGather& gather, const float normal[3], const float texCoord[2])
{
    if (gather.mode == GL_TRIANGLES)
        gather.batch.vertices.resize(gather.batch.vertices.size() / 3 * 3);
    gatherShare(gather.batch);
    for (int i = 0; i < 3; i++)
        gather.batch.lastNormal[i] = normal[i];
    gather.batch.lastTexCoord[0] = texCoord[0];
    gather.batch.lastTexCoord[1] = texCoord[1];
    gather.open = false;
}
