#include "params/object/AM_Object.h"

#include "params/object/AM_Messages.h"
#include "params/object/AM_ObjectHost.h"

AM_Object::AM_Object() = default;

AM_Object::AM_Object(AM_ObjectHost* host) : host_(host)
{
    if (host_)
        host_->addObject(this);
}

AM_Object::~AM_Object()
{
    if (host_)
        host_->removeObject(this);
}

void AM_Object::setHost(AM_ObjectHost* host)
{
    if (host_)
        host_->removeObject(this);
    host_ = host;
    if (host_)
        host_->addObject(this);
}

void AM_Object::sendMessage(uint32_t mask, uint32_t message, uint32_t arg, void* ptr)
{
    if (host_)
        host_->broadcastMessage(this, mask, message, arg, ptr);
}

void AM_Object::receiveMessage(AM_Object* sender, uint32_t message, uint32_t arg, void* ptr)
{
    switch (message) {
    case k_msgHostDeleted:
        host_ = nullptr;
        break;
    case k_msgRequestReply:
        // A request asking for message 13 as its answer would bounce between
        // two objects forever; such a request is not answered.
        if (sender && arg != k_msgRequestReply)
            sender->receiveMessage(this, arg, k_msgRequestReply, ptr);
        break;
    default:
        break;
    }
}
